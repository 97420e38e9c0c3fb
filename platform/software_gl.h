// Telling, as cheaply as can be, whether OpenGL here would draw on the processor. Then SDL's own
// software renderer shows our frame for a fraction of the cost: a software rasteriser brings a
// dozen threads of its own, tens of megabytes and a quarter of a second of start-up.
#pragma once

namespace software_gl {

// Whether a graphics device that a hardware OpenGL driver could use can be opened under devRoot
// (normally "/dev"): a DRM node, an NVIDIA control device or WSL's GPU device. Without one, OpenGL
// can only draw on the processor, and there is no need to start it to find that out.
bool GraphicsDeviceOpenable(const char* devRoot);

// Whether an OpenGL renderer string (GL_RENDERER) names a software rasteriser. Null or empty: false.
bool NamesSoftwareRasteriser(const char* glRenderer);

}  // namespace software_gl
