// The program's entry: reads the command line (springview [--seed S] [MODEL]), opens the main window
// (which loads the model and builds the scene) and runs the message loop until the window is closed. A
// window or model that cannot be had ends the program with status 1 after saying why; closing the window
// ends it with 0; a command line it does not understand, with 2.
#include "app/MainFrame.h"
#include "app/MessageLoop.h"
#include "core/Random.h"
#include "io/CommandLine.h"
#include "platform/win32/Win32Api.h"

#include <cstdio>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// A double-clicked springview.exe has a console of its own, which closes as the program ends: the
// reason is shown in a message box as well, so that it stays on screen. Started from a console (which
// then lists at least that console's shell too), the printed lines are enough.
int stop(int status, [[maybe_unused]] const std::string& reason) {
#ifdef _WIN32
  DWORD processes[2];
  if (status != 0 && !reason.empty() && GetConsoleProcessList(processes, 2) == 1) {
    MessageBoxA(nullptr, reason.c_str(), "springview", MB_OK | MB_ICONERROR);
  }
#endif
  return status;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep up to 512 MiB freed: the rasterizer retakes its per-frame memory, else faulted in afresh each frame.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  const sv::CommandLine command = sv::CommandLine::parse(argc, argv);
  switch (command.action) {
    case sv::CommandLine::Action::help:
      std::fputs(sv::CommandLine::helpText().c_str(), stdout);
      return 0;
    case sv::CommandLine::Action::version:
      std::printf("springview %s\n", SV_VERSION);
      return 0;
    case sv::CommandLine::Action::usageError:
      std::fprintf(stderr, "springview: %s\n%s", command.error.c_str(), sv::CommandLine::kUsage);
      return 2;
    case sv::CommandLine::Action::run:
      break;
  }
  // Before the scene exists, as snapshot --seed does: the same seed then gives the same frames.
  if (command.seed) sv::seedRandom(*command.seed);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  sv::MainFrame app(instance);
  app.frame->modelFileName = command.modelPath;
  const int opened = app.open();
  // Every diagnostic line is written while the window opens; a pipe or a file buffers them fully (the
  // Microsoft C runtime does so even when asked for lines), so one flush delivers them as the window shows.
  std::fflush(stdout);
  if (opened < 0) return stop(1, "Basewindow open error.\n" + app.frame->failure);
  HWND window = app.getHandle();
  // The program carries no resources, so there is no "MYACCEL" table: nothing is ever consumed by it.
  HACCEL accelerators = LoadAcceleratorsA(instance, "MYACCEL");
  return stop(sv::runMessageLoop(window, accelerators), app.frame->failure);
}
