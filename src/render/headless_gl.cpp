#include "render/headless_gl.hpp"

#include <epoxy/gl.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvel {
namespace {

bool hasExtension(const char* list, std::string_view name) {
  if (list == nullptr) return false;
  std::string_view rest(list);
  while (!rest.empty()) {
    const auto space = rest.find(' ');
    if (rest.substr(0, space) == name) return true;
    if (space == std::string_view::npos) break;
    rest.remove_prefix(space + 1);
  }
  return false;
}

std::string eglErrorText() {
  const EGLint code = eglGetError();
  switch (code) {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    default: break;
  }
  char text[32];
  std::snprintf(text, sizeof text, "EGL error 0x%04X", static_cast<unsigned>(code));
  return text;
}

// EGL hands out one EGLDisplay per platform and device, and eglTerminate is not
// counted: terminating it when one context closes would pull the display from
// under every other context on it. So contexts share displays through a count
// and the last one out terminates.
std::mutex displayMutex;
std::map<EGLDisplay, int> displayUsers;

std::string acquireDisplay(EGLDisplay display) {
  const std::lock_guard lock(displayMutex);
  int& users = displayUsers[display];
  if (users == 0) {
    EGLint major = 0;
    EGLint minor = 0;
    if (eglInitialize(display, &major, &minor) != EGL_TRUE) {
      displayUsers.erase(display);
      return "eglInitialize failed: " + eglErrorText();
    }
  }
  ++users;
  return {};
}

void releaseDisplay(EGLDisplay display) noexcept {
  const std::lock_guard lock(displayMutex);
  const auto found = displayUsers.find(display);
  if (found == displayUsers.end()) return;
  if (--found->second == 0) {
    eglTerminate(display);
    displayUsers.erase(found);
  }
}

struct Route {
  EGLenum platform;
  void* native;
  std::string name;
};

// Hardware devices first (a vendor driver documents this route), then Mesa's
// surfaceless platform, then any software device as a last resort.
std::vector<Route> routesToTry(const char* clientExtensions) {
  std::vector<Route> hardware;
  std::vector<Route> software;
  if (hasExtension(clientExtensions, "EGL_EXT_platform_device") &&
      (hasExtension(clientExtensions, "EGL_EXT_device_enumeration") ||
       hasExtension(clientExtensions, "EGL_EXT_device_base"))) {
    EGLint count = 0;
    if (eglQueryDevicesEXT(0, nullptr, &count) == EGL_TRUE && count > 0) {
      std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
      if (eglQueryDevicesEXT(count, devices.data(), &count) == EGL_TRUE) {
        devices.resize(static_cast<std::size_t>(count));
        for (EGLDeviceEXT device : devices) {
          const char* extensions = eglQueryDeviceStringEXT(device, EGL_EXTENSIONS);
          std::string name = "EGL device";
          if (hasExtension(extensions, "EGL_EXT_device_drm")) {
            if (const char* file = eglQueryDeviceStringEXT(device, EGL_DRM_DEVICE_FILE_EXT)) {
              name += std::string(" ") + file;
            }
          }
          if (hasExtension(extensions, "EGL_MESA_device_software")) {
            software.push_back({EGL_PLATFORM_DEVICE_EXT, device, name + " (software)"});
          } else {
            hardware.push_back({EGL_PLATFORM_DEVICE_EXT, device, name});
          }
        }
      }
    }
  }
  std::vector<Route> routes = std::move(hardware);
  if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
    routes.push_back({EGL_PLATFORM_SURFACELESS_MESA, nullptr, "EGL surfaceless"});
  }
  for (Route& route : software) routes.push_back(std::move(route));
  return routes;
}

// Creates a context on an initialised display and makes it current with no
// surface. Leaves nothing current and nothing created when it fails.
std::string makeContext(EGLDisplay display, HeadlessGl::Version want, EGLContext& out) {
  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  if (!hasExtension(extensions, "EGL_KHR_surfaceless_context")) {
    return "no EGL_KHR_surfaceless_context";
  }
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
    return "eglBindAPI(EGL_OPENGL_API) failed: " + eglErrorText();
  }

  // Mesa's surfaceless platform has no configs at all; a driver without
  // config-less contexts gets any OpenGL-capable one, which is unused anyway.
  EGLConfig config = EGL_NO_CONFIG_KHR;
  if (!hasExtension(extensions, "EGL_KHR_no_config_context") &&
      !hasExtension(extensions, "EGL_MESA_configless_context")) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_NONE};
    EGLint found = 0;
    if (eglChooseConfig(display, wanted, &config, 1, &found) != EGL_TRUE || found < 1) {
      return "no config-less contexts and no OpenGL config";
    }
  }

  const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                               want.major,
                               EGL_CONTEXT_MINOR_VERSION,
                               want.minor,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                               EGL_NONE};
  const std::string wanted =
      "OpenGL " + std::to_string(want.major) + "." + std::to_string(want.minor) + " core";
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) {
    return "eglCreateContext for " + wanted + " failed: " + eglErrorText();
  }
  if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
    const std::string error = "eglMakeCurrent with no surface failed: " + eglErrorText();
    eglDestroyContext(display, context);
    return error;
  }

  // A driver may hand back less than it was asked for; catch that here rather
  // than as a shader that fails to compile later.
  GLint profile = 0;
  if (epoxy_is_desktop_gl()) glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  const int have = epoxy_gl_version();
  if (!epoxy_is_desktop_gl() || have < want.major * 10 + want.minor ||
      (profile & GL_CONTEXT_CORE_PROFILE_BIT) == 0) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const std::string error =
        "asked for " + wanted + ", got " + (version != nullptr ? version : "an unknown version");
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
    return error;
  }
  out = context;
  return {};
}

std::string glString(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text != nullptr ? text : "";
}

}  // namespace

Result<HeadlessGl> HeadlessGl::create(Version want) {
  const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!hasExtension(client, "EGL_EXT_platform_base")) {
    return Reason{"cannot create a GL context: EGL lacks EGL_EXT_platform_base"};
  }

  // A failed attempt must not leave the caller's context unbound.
  const EGLDisplay previousDisplay = eglGetCurrentDisplay();
  const EGLContext previousContext = eglGetCurrentContext();
  const EGLSurface previousDraw = eglGetCurrentSurface(EGL_DRAW);
  const EGLSurface previousRead = eglGetCurrentSurface(EGL_READ);

  std::string failures;
  for (const Route& route : routesToTry(client)) {
    std::string error;
    const EGLDisplay display = eglGetPlatformDisplayEXT(route.platform, route.native, nullptr);
    if (display == EGL_NO_DISPLAY) {
      error = "eglGetPlatformDisplayEXT failed: " + eglErrorText();
    } else if (error = acquireDisplay(display); error.empty()) {
      EGLContext context = EGL_NO_CONTEXT;
      error = makeContext(display, want, context);
      if (error.empty()) {
        HeadlessGl gl;
        gl.display_ = display;
        gl.context_ = context;
        gl.renderer_ = glString(GL_RENDERER);
        gl.version_ = glString(GL_VERSION);
        gl.route_ = route.name;
        return gl;
      }
      releaseDisplay(display);
    }
    if (!failures.empty()) failures += "; ";
    failures += route.name + ": " + error;
  }

  if (previousContext != EGL_NO_CONTEXT) {
    eglMakeCurrent(previousDisplay, previousDraw, previousRead, previousContext);
  }
  if (failures.empty()) failures = "EGL offers neither a device nor the surfaceless platform";
  return Reason{"cannot create a GL context: " + failures};
}

HeadlessGl::HeadlessGl(HeadlessGl&& other) noexcept
    : display_(std::exchange(other.display_, EGL_NO_DISPLAY)),
      context_(std::exchange(other.context_, EGL_NO_CONTEXT)),
      renderer_(std::move(other.renderer_)),
      version_(std::move(other.version_)),
      route_(std::move(other.route_)) {}

HeadlessGl& HeadlessGl::operator=(HeadlessGl&& other) noexcept {
  if (this != &other) {
    release();
    display_ = std::exchange(other.display_, EGL_NO_DISPLAY);
    context_ = std::exchange(other.context_, EGL_NO_CONTEXT);
    renderer_ = std::move(other.renderer_);
    version_ = std::move(other.version_);
    route_ = std::move(other.route_);
  }
  return *this;
}

HeadlessGl::~HeadlessGl() { release(); }

void HeadlessGl::release() noexcept {
  if (context_ == EGL_NO_CONTEXT) return;
  if (isCurrent()) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(display_, context_);
  releaseDisplay(display_);
  context_ = EGL_NO_CONTEXT;
  display_ = EGL_NO_DISPLAY;
}

bool HeadlessGl::makeCurrent() const {
  if (context_ == EGL_NO_CONTEXT) return false;
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return false;
  return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

bool HeadlessGl::isCurrent() const {
  return context_ != EGL_NO_CONTEXT && eglGetCurrentContext() == context_;
}

std::string HeadlessGl::describe() const {
  return renderer_ + ", OpenGL " + version_ + ", via " + route_;
}

}  // namespace sorvel
