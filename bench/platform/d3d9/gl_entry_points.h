// Every OpenGL entry point the Direct3D 9 device calls, for the benchmarks that wrap them all
// (a call counter, a GL timer): one list, so that no wrapper misses a call the device makes.
// X(name) is expanded once per entry point; the draws are listed apart. The raw OpenGL
// replicas of bench/scenes/bounds call a few more, listed last, so that the counter sees theirs too.
#pragma once

#define ZEL_GL_DRAW_ENTRY_POINTS(X) X(glDrawArrays) X(glDrawElementsBaseVertex) X(glDrawElements)

#define ZEL_GL_OTHER_ENTRY_POINTS(X) \
  X(glActiveTexture) X(glAttachShader) X(glBindBuffer) X(glBindFramebuffer) \
  X(glBindRenderbuffer) X(glBindSampler) X(glBindTexture) X(glBindVertexArray) X(glBlendColor) \
  X(glBlendEquationSeparate) X(glBlendFuncSeparate) X(glBlitFramebuffer) X(glBufferData) \
  X(glBufferSubData) X(glCheckFramebufferStatus) X(glClear) X(glClearColor) X(glClearDepth) \
  X(glClearStencil) X(glClipControl) X(glColorMask) X(glCompileShader) X(glCreateProgram) \
  X(glCreateShader) X(glCullFace) X(glDeleteBuffers) X(glDeleteFramebuffers) \
  X(glDeleteProgram) X(glDeleteRenderbuffers) X(glDeleteSamplers) X(glDeleteShader) \
  X(glDeleteTextures) X(glDeleteVertexArrays) X(glDepthFunc) X(glDepthMask) X(glDepthRange) \
  X(glDetachShader) X(glDisable) X(glDisableVertexAttribArray) X(glEnable) \
  X(glEnableVertexAttribArray) X(glFramebufferRenderbuffer) X(glFrontFace) X(glGenBuffers) \
  X(glGenFramebuffers) X(glGenRenderbuffers) X(glGenSamplers) X(glGenTextures) \
  X(glGenVertexArrays) X(glGetIntegerv) X(glGetProgramInfoLog) X(glGetProgramiv) \
  X(glGetShaderInfoLog) X(glGetShaderiv) X(glGetUniformLocation) X(glLinkProgram) \
  X(glPixelStorei) X(glPolygonMode) X(glPolygonOffset) X(glReadPixels) \
  X(glRenderbufferStorage) X(glSamplerParameterf) X(glSamplerParameterfv) \
  X(glSamplerParameteri) X(glScissor) X(glShaderSource) X(glStencilFunc) X(glStencilMask) \
  X(glStencilOp) X(glTexImage2D) X(glTexParameteri) X(glTexParameteriv) X(glTexSubImage2D) \
  X(glUniform1f) X(glUniform1iv) X(glUniform4f) X(glUniform4fv) X(glUniformMatrix4fv) \
  X(glUseProgram) X(glVertexAttrib4f) X(glVertexAttribPointer) X(glViewport)

#define ZEL_GL_REPLICA_ENTRY_POINTS(X) \
  X(glBlendFunc) X(glUniform1i) X(glUniform2f) X(glUniform3f) X(glUniform3fv)
