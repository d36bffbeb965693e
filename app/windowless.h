#pragma once
// The program without its window, for a station started by the system and
// for a script's one command: no display is needed (the platform is chosen
// before the application object exists), the main window is built but never
// shown, and every message it would show in a box becomes one line for the
// caller (line breaks as " / "), a question answered with its default
// button, so that nothing ever waits for a click. velta.ini is never written.
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class velta;

namespace windowless {
// Chooses the platform that needs no display; call before the application
// object exists.
void NO_DISPLAY();

// The port of a start without the chooser: the one given, else the number
// velta.ini holds (read as the start-up reads it); nothing when neither
// gives one.
std::optional<int> PORT(std::optional<int> given);
// "no port: give --port N or start the window once"
extern const char* const NO_PORT;

class Window {
 public:
  // The hidden main window on `port`, the port configured and opened (a
  // failure told as a line).
  Window(int port, std::function<void(const QString& line)> tell);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  velta& window() { return *window_; }

 private:
  std::unique_ptr<velta> window_;
};
}  // namespace windowless
