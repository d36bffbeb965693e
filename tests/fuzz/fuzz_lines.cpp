// libFuzzer target: any bytes as one request line of a tracking program. No
// input may crash or trip a sanitizer, and what the tool would do with it
// must hold together: a go-to only to the azimuth's nearest whole degree,
// 0 to 359; every answer a run of whole lines; numbers with a point under a
// decimal-comma locale too.
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "protocol/rotator_lines.h"

using namespace rotator_lines;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Where the desktop's decimal separator is a comma (scripts/setup.sh makes it).
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > MAX_LINE) return 0;  // the server closes the client instead
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const Request r = PARSE(line);
  if (r.command == Command::set_pos && r.code == OK && (r.azimuth < 0 || r.azimuth > 359)) abort();
  if (NEEDS_CONTROLLER(r) && r.code != OK) abort();
  // The position the controller might report, from the input's first bytes.
  double azimuth = 0;
  if (size >= sizeof azimuth) std::memcpy(&azimuth, data, sizeof azimuth);
  const std::string answer = ANSWER(r, r.code, azimuth, INFO(line));
  const bool silent = r.command == Command::blank || r.command == Command::quit;
  if (silent != answer.empty() || (!answer.empty() && answer.back() != '\n')) abort();
  if (r.code == OK && (r.command == Command::get_pos || r.command == Command::dump_state) &&
      answer.find(',') != std::string::npos)
    abort();
  // The degree sent is the azimuth's nearest whole one, on the circle.
  if (const std::optional<double> x = NUMBER(line)) {
    const std::optional<int> degrees = WHOLE_DEGREES(*x);
    if (degrees.has_value() == (*x < -360 || *x > 360)) abort();
    if (degrees && (*degrees < 0 || *degrees > 359 || std::fabs(std::remainder(*x - *degrees, 360.0)) > 0.5)) abort();
  }
  return 0;
}
