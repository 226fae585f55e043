// The program's main window: a Frame whose window procedure gives the window an OpenGL context,
// creates the scene controller and forwards creation, size, paint and mouse messages to it, and turns
// keys, the wheel and its play timer into frames, camera changes and model reloads. The context is
// current only while WM_CREATE, WM_SIZE and WM_PAINT are handled.
#pragma once

#include "app/Frame.h"
#include "app/MouseState.h"
#include "platform/win32/Win32Api.h"
#include "scene/GLUW.h"

#include <cstdint>
#include <memory>
#include <string>

namespace sv {

class OpenGLFrame : public Frame {
 public:
  // Fills classTemplate (the class name, instance, stock icon and cursor, no background brush) and
  // hands it to the Frame constructor.
  OpenGLFrame(const std::string& title, HINSTANCE instance, const std::string& className);
  OpenGLFrame(const OpenGLFrame&) = delete;
  OpenGLFrame& operator=(const OpenGLFrame&) = delete;

  LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  HINSTANCE instance = nullptr;
  HGLRC renderingContext = nullptr;
  HDC deviceContext = nullptr;
  std::int32_t pixelFormat = 0;
  std::unique_ptr<GLUW> scene;
  // Why the window could not be created or stopped driving the scene, as written on standard error;
  // empty while all is well.
  std::string failure;
  // The model the scene reads when the window is created.
  std::string modelFileName = GLUW::kModelFileName;

 protected:
  // The scene controller made on WM_CREATE; tests put a recording one in its place.
  virtual std::unique_ptr<GLUW> createScene();

 private:
  LRESULT onCreate(HWND window, LPARAM lParam);
  void onSize(LPARAM lParam);
  void onPaint(HWND window);
  void onDestroy(HWND window);
  void onMouseMessage(HWND window, UINT message);
  bool onControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool onKeyDown(HWND window, WPARAM key, LPARAM lParam);
  bool onCharacter(HWND window, WPARAM character);
  void onWheel(HWND window, WPARAM wParam);
  void togglePlaying(HWND window);
  void reloadModel(HWND window);
  LRESULT refuseCreation(HWND window, const std::string& reason);
  void reportFailure(const std::string& reason);
  void releaseContexts(HWND window);

  std::string className;  // classTemplate keeps a pointer to these characters
  bool playing = false;   // the play timer runs
  int wheelTurned = 0;    // wheel rotation short of a notch (WHEEL_DELTA), from wheels finer than notches
};

// Module-level state of the main window.
extern WNDCLASSEXA classTemplate;
extern const PIXELFORMATDESCRIPTOR pixelFormatRequest;
extern MouseState mouse;

}  // namespace sv
