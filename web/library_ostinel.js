// The browser's side of what the C++ program asks of the page: Web Audio for the sound device,
// localStorage for the settings, leaving full screen. The page (page.js) sets Module.audioContext
// once sound may start.
mergeInto(LibraryManager.library, {
  $ostinelSound: {pcm: [], slots: [], merger: null, output: null, gain: 1},

  // What is heard when comes from getOutputTimestamp where the browser has it, once it has begun to
  // answer; elsewhere the time being mixed stands for it.
  ostinel_audio_now: function (mixedPtr, ratePtr, heardPtr, heardAtPtr, nowPtr) {
    const context = Module.audioContext;
    if (!context || context.state !== 'running') return 0;
    const stamp = context.getOutputTimestamp
                      ? context.getOutputTimestamp()
                      : {contextTime: context.currentTime, performanceTime: performance.now()};
    if (!(stamp.performanceTime > 0)) return 0;
    HEAPF64[mixedPtr >> 3] = context.currentTime;
    HEAPF64[ratePtr >> 3] = context.sampleRate;
    HEAPF64[heardPtr >> 3] = stamp.contextTime;
    HEAPF64[heardAtPtr >> 3] = stamp.performanceTime;
    HEAPF64[nowPtr >> 3] = performance.now();
    return 1;
  },

  // Each slot's samples, kept as they came until sound may start, then as an AudioBuffer.
  ostinel_audio_load__deps: ['$ostinelSound'],
  ostinel_audio_load: function (id, frames, frameCount) {
    ostinelSound.pcm[id] = new Int16Array(HEAPU8.slice(frames, frames + 4 * frameCount).buffer);
  },

  // Each slot has a splitter and a gain per side, into one merger: the gains are DirectSound's,
  // worked out by the program. A new play cuts the slot's previous one at its own start.
  ostinel_audio_play__deps: ['$ostinelSound'],
  ostinel_audio_play: function (id, when, left, right) {
    const context = Module.audioContext;
    const sound = ostinelSound;
    const pcm = sound.pcm[id];
    if (!pcm) return;
    if (!sound.merger) {
      sound.output = context.createGain();
      sound.output.gain.value = sound.gain;
      sound.output.connect(context.destination);
      sound.merger = context.createChannelMerger(2);
      sound.merger.connect(sound.output);
    }
    let slot = sound.slots[id];
    if (!slot) {
      slot = sound.slots[id] = {
        splitter: context.createChannelSplitter(2),
        gains: [context.createGain(), context.createGain()],
        data: context.createBuffer(2, pcm.length / 2, 44100),
      };
      slot.gains.forEach((gain, side) => {
        slot.splitter.connect(gain, side);
        gain.connect(sound.merger, 0, side);
      });
      for (let side = 0; side < 2; ++side) {
        const channel = slot.data.getChannelData(side);
        for (let i = 0; i < channel.length; ++i) channel[i] = pcm[2 * i + side] / 32768;
      }
    }
    const at = Math.max(when, context.currentTime);
    [left, right].forEach((value, side) => {
      slot.gains[side].gain.cancelScheduledValues(at);
      slot.gains[side].gain.setValueAtTime(value, at);
    });
    const source = context.createBufferSource();
    source.buffer = slot.data;
    source.connect(slot.splitter);
    if (slot.source) slot.source.stop(at);
    source.start(at);
    slot.source = source;
  },

  // The page's volume over everything it plays, at once.
  ostinel_audio_volume__deps: ['$ostinelSound'],
  ostinel_audio_volume: function (gain) {
    ostinelSound.gain = gain;
    if (ostinelSound.output) ostinelSound.output.gain.value = gain;
  },

  ostinel_storage_get: function (name, out, size) {
    let value = null;
    try {
      value = localStorage.getItem(UTF8ToString(name));
    } catch (e) {
      // storage disabled: the settings' defaults
    }
    if (value === null) return -1;
    stringToUTF8(value, out, size);
    return lengthBytesUTF8(value);
  },

  ostinel_storage_set: function (name, value) {
    try {
      localStorage.setItem(UTF8ToString(name), UTF8ToString(value));
      return 1;
    } catch (e) {
      return 0;
    }
  },

  ostinel_leave_fullscreen: function () {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  },
});
