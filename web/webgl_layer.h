// The renderer's OpenGL 1.1 calls served over WebGL: matrix stacks, immediate-mode quads gathered
// into few draws, linear fog, blending, depth test, back-face culling and clear.
#pragma once

// With the WebGL context current: the layer's shader and buffers, and the GL state it has been
// given so far. Called again once a lost context is restored. False when WebGL refuses the shader.
bool StartWebGlLayer();

// The context is lost: nothing reaches WebGL, and what is drawn meanwhile is dropped.
void StopWebGlLayer();
