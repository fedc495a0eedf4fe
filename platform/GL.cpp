#include "platform/GL.h"

#include "support/Log.h"

namespace platform {

namespace {
thread_local GLContext* currentContext = nullptr;
}

GLContext* GLContext::current() {
    return currentContext;
}

void GLContext::setCurrent(GLContext* context) {
    currentContext = context;
}

bool checkGLError(const char* where) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return false;
    ccLog("OpenGL error 0x%04X in %s", unsigned(error), where);
    return true;
}

} // namespace platform
