// The program's entry: reads the command line (springview [MODEL]), opens the main window (which loads
// the model and builds the scene) and runs the message loop until the window is closed. A window or
// model that cannot be had ends the program with status 1 after saying why; closing the window ends it
// with 0; a command line it does not understand, with 2.
#include "app/MainFrame.h"
#include "app/MessageLoop.h"
#include "io/CommandLine.h"
#include "platform/win32/Win32Api.h"

#include <cstdio>

int main(int argc, char** argv) {
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
  HINSTANCE instance = GetModuleHandleA(nullptr);
  sv::MainFrame app(instance);
  app.frame->modelFileName = command.modelPath;
  const int opened = app.open();
  // Every diagnostic line is written while the window opens; a pipe or a file buffers them fully (the
  // Microsoft C runtime does so even when asked for lines), so one flush delivers them as the window shows.
  std::fflush(stdout);
  if (opened < 0) return 1;
  HWND window = app.getHandle();
  // The program carries no resources, so there is no "MYACCEL" table: nothing is ever consumed by it.
  HACCEL accelerators = LoadAcceleratorsA(instance, "MYACCEL");
  return sv::runMessageLoop(window, accelerators);
}
