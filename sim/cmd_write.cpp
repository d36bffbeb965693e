// W: the parameter write. The reply frame says ready ("R", CR) and asks for
// the first value with "N"; each value line (ended by CR) is answered with
// "N" until the fifteenth, which is answered with CR. Only a complete set is
// stored, so that a following L reads it back; a dialogue broken off halfway
// leaves the stored set as it was.
#include <cstdlib>
#include <string>

#include "controller.h"

namespace {
// One value line as the controller takes it: a decimal integer with an
// optional sign and leading zeros. An empty line (the stop mode when the tool
// has none to give) keeps the value stored.
void store(long long& into, const std::string& line) {
  if (!line.empty()) into = std::strtoll(line.c_str(), nullptr, 10);
}

class WriteDialogue : public Dialogue {
 public:
  explicit WriteDialogue(Controller& c) : c_(c) {}

  bool on_line(const std::string& line) override {
    lines_[count_++] = line;
    const int k = count_;
    const WriteFaults& f = c_.write_faults;
    if (k == 15) store_set();
    if (f.stop_after == k) return k < 15;  // silent; later lines are swallowed
    char answer = k < 15 ? 'N' : '\r';
    if (f.answer_after == k) answer = f.answer;
    c_.out.push({answer, f.delay_after == k ? f.delay_ms : 0.0, false, false});
    return k < 15 && f.answer_after != k;
  }

 private:
  void store_set() {
    for (int n = 1; n <= 15; ++n) store(c_.params[n], lines_[n - 1]);
    // A controller that keeps another value than it acknowledged: only a
    // read-back finds it.
    const WriteFaults& f = c_.write_faults;
    if (f.store_k) c_.params[f.store_k] = f.store_value;
    ++c_.sets_stored;
  }

  Controller& c_;
  std::string lines_[15];
  int count_ = 0;
};
}  // namespace

void register_write(Controller& c) {
  c.on('W', [](Controller& c, const std::string&) {
    // Busy while the rotator turns (or a busy fault asks for it): no dialogue.
    const bool busy = c.busy || c.faults.busy_for('W');
    Reply r;
    r.bytes = std::string("\x02") + "A,W," + (busy ? "B" : "R") + "\r";
    r.state_pos = 5;
    if (!busy) r.bytes += 'N';
    c.reply('W', r);
    if (!busy) c.start_dialogue(std::make_unique<WriteDialogue>(c));
  });
}
