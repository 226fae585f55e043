// The thread's message loop (see MessageLoop.h).
#include "app/MessageLoop.h"

namespace sv {

int runMessageLoop(HWND window, HACCEL accelerators) {
  MSG message{};
  for (;;) {
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0) return static_cast<int>(message.wParam);
    if (result == -1) return 1;
    if (TranslateAcceleratorA(window, accelerators, &message) != 0) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace sv
