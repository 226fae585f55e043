// The application object (see MainFrame.h).
#include "app/MainFrame.h"

#include <cstdio>

namespace sv {

static_assert(kMainWindowStyle == (WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));

MainFrame::MainFrame(HINSTANCE instance) : frame(std::make_unique<OpenGLFrame>("Veldrane1", instance, "Tessary1")) {}

MainFrame::MainFrame(std::unique_ptr<OpenGLFrame> frame) : frame(std::move(frame)) {}

int MainFrame::open() {
  int result = frame->open(kMainWindowStyle, 0, 0, 512, 512, nullptr, nullptr);
  if (result < 0) {
    std::printf("Basewindow open error.\n");
    return -1;
  }
  return 0;
}

HWND MainFrame::getHandle() { return frame->getHandle(); }

}  // namespace sv
