// The browser's side of what the C++ program asks of the page: Web Audio for the sound device,
// localStorage for the settings, leaving full screen. The page (page.js) sets Module.audioContext
// once sound may start.
mergeInto(LibraryManager.library, {
  $ostinelSound: {buffers: [], merger: null},

  // What is heard when comes from getOutputTimestamp where the browser has it, once it has begun to
  // answer; elsewhere the time being mixed stands for it.
  ostinel_audio_now: function (mixedPtr, ratePtr, heardPtr, heardAtPtr) {
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
    return 1;
  },

  // Each buffer has a splitter and a gain per side, into one merger: the gains are DirectSound's,
  // worked out by the program. A new play cuts the buffer's previous one at its own start.
  ostinel_audio_play__deps: ['$ostinelSound'],
  ostinel_audio_play: function (id, frames, frameCount, changed, when, offset, left, right, looping) {
    const context = Module.audioContext;
    const sound = ostinelSound;
    if (!sound.merger) {
      sound.merger = context.createChannelMerger(2);
      sound.merger.connect(context.destination);
    }
    let buffer = sound.buffers[id];
    if (!buffer) {
      buffer = sound.buffers[id] = {
        splitter: context.createChannelSplitter(2),
        gains: [context.createGain(), context.createGain()],
      };
      buffer.gains.forEach((gain, side) => {
        buffer.splitter.connect(gain, side);
        gain.connect(sound.merger, 0, side);
      });
    }
    if (changed || !buffer.data) {
      buffer.data = context.createBuffer(2, frameCount, 44100);
      const pcm = HEAP16.subarray(frames >> 1, (frames >> 1) + 2 * frameCount);
      for (let side = 0; side < 2; ++side) {
        const channel = buffer.data.getChannelData(side);
        for (let i = 0; i < frameCount; ++i) channel[i] = pcm[2 * i + side] / 32768;
      }
    }
    const at = Math.max(when, context.currentTime);
    [left, right].forEach((value, side) => {
      buffer.gains[side].gain.cancelScheduledValues(at);
      buffer.gains[side].gain.setValueAtTime(value, at);
    });
    const source = context.createBufferSource();
    source.buffer = buffer.data;
    source.loop = looping !== 0;
    source.connect(buffer.splitter);
    if (buffer.source) buffer.source.stop(at);
    source.start(at, offset);
    buffer.source = source;
  },

  ostinel_audio_stop__deps: ['$ostinelSound'],
  ostinel_audio_stop: function (id) {
    const buffer = ostinelSound.buffers[id];
    if (buffer && buffer.source) buffer.source.stop();
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
