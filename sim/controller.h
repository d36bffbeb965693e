#pragma once
// The simulated CBOX: its state, the frames it receives and the replies it
// sends, with the faults applied.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "faults.h"
#include "output_queue.h"

// The controller's fifteen parameters, in the order of the parameter write and
// of fields 3 to 17 of the parameter read, by their control-channel keys, with
// the set the simulator starts with. Times are ticks of 1.64 ms.
struct ParamSpec {
  const char* key;
  long long initial;
};
inline constexpr ParamSpec PARAMS[15] = {
    {"stop_mode", 1},  // 0 north-stop, 1 south-stop, 2 absolute
    {"lower_limit", 0},   {"upper_limit", 500}, {"inv_delay", 1829}, {"pwm_on", 1},
    {"pwm_a", 30},  // on-time at maximum duty
    {"pwm_b", 0},   // off-time at maximum duty
    {"ramp", 10},
    {"pwm_c", 15},  // minimum on-time
    {"optimize", 1},      {"pres_delay", 1829}, {"offset", 0},         {"mot_check", 0},
    {"check_angle", 2},   {"rot_timeout", 3049},
};
struct Params {
  long long value[15];
  Params() {
    for (int i = 0; i < 15; ++i) value[i] = PARAMS[i].initial;
  }
  long long& operator[](int n) { return value[n - 1]; }  // n: 1 to 15
  long long operator[](int n) const { return value[n - 1]; }
};

// A multi-step dialogue that takes over the received characters (the W
// command's value lines).
class Dialogue {
 public:
  virtual ~Dialogue() = default;
  // One received line, without its CR. Returns false when the dialogue is over.
  virtual bool on_line(const std::string& line) = 0;
};

// Faults of the W dialogue after its reply frame, set with "write ..." on
// the control channel. Value K is 1 to 15; 0 switches a fault off.
struct WriteFaults {
  int stop_after = 0;    // no prompt (or no final CR) after value K
  int answer_after = 0;  // value K answered with `answer` in place of N (of CR after 15)
  char answer = 'E';
  int delay_after = 0;   // the prompt after value K comes `delay_ms` late
  double delay_ms = 0;
  int store_k = 0;       // value K acknowledged as ever but stored as `store_value`
  long long store_value = 0;
};

class Controller {
 public:
  using Handler = std::function<void(Controller&, const std::string& data)>;

  Controller();

  // State.
  Params params;
  long long position = 0;      // degrees
  long long target = -1;       // go-to target, -1 when none
  double speed = 30.0;         // degrees per second while turning
  bool busy = false;           // the rotator is turning
  bool absolute_mode = false;  // M is refused in absolute mode
  long long version = 323;
  long long dip = 0;
  long long cal_factor = 1234;
  // Raw text for a field of the parameter read (1..19), in place of the value.
  std::map<int, std::string> raw_fields;
  WriteFaults write_faults;
  long long sets_stored = 0;  // complete W dialogues taken into params

  Faults faults;
  OutputQueue out;

  // Received characters, as they came.
  void on_bytes(const char* data, std::size_t n);
  // Everything received since the last take_received().
  std::string take_received();

  // Sends a reply to the command `code`, faults applied.
  void reply(char code, const Reply& r);
  // Sends characters without faults (dialogue prompts, raw test input).
  void send_raw(const std::string& bytes, bool frame = false);
  void start_dialogue(std::unique_ptr<Dialogue> d) { dialogue_ = std::move(d); }

  void on(char code, Handler h) { handlers_[code] = std::move(h); }
  // Periodic work (turning, streams): called often while needs_ticks().
  void tick(Clock::time_point now);
  bool needs_ticks() const;
  void add_ticker(std::function<void(Controller&, Clock::time_point)> t,
                  std::function<bool(const Controller&)> active) {
    tickers_.push_back({std::move(t), std::move(active)});
  }

  // Unsolicited status frames: every `ms` milliseconds, or back to back at
  // the full wire rate (flood).
  void stream_status(double ms) { stream_ms_ = ms; flood_ = false; next_stream_ = Clock::now(); }
  void stream_flood() { flood_ = true; stream_ms_ = 0; }
  void stream_off() { flood_ = false; stream_ms_ = 0; }
  bool streaming() const { return flood_ || stream_ms_ > 0; }
  std::function<Reply(Controller&)> status_frame;  // set by the status command

  long long frames_sent = 0;
  long long frames_received = 0;
  std::string log_path;

 private:
  void dispatch(const std::string& frame);
  std::map<char, Handler> handlers_;
  std::unique_ptr<Dialogue> dialogue_;
  std::string frame_;
  bool in_frame_ = false;
  std::string line_;
  std::string received_;
  struct Ticker {
    std::function<void(Controller&, Clock::time_point)> run;
    std::function<bool(const Controller&)> active;
  };
  std::vector<Ticker> tickers_;
  double stream_ms_ = 0;
  bool flood_ = false;
  Clock::time_point next_stream_{};
};

// Zero-padded five-digit field; a negative value as "-" and five digits.
std::string field5(long long v);
std::string field3(long long v);

// Command handlers, one file each.
void register_status(Controller& c);
void register_s_m_v(Controller& c);
void register_read(Controller& c);
void register_goto(Controller& c);
void register_calib(Controller& c);
void register_write(Controller& c);
