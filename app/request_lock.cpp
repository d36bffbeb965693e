#include "app/request_lock.h"

#include "monitor/buttons.h"
#include "ui/calibration.h"
#include "ui/colours.h"
#include "ui/velta.h"

namespace tracking {
RequestLock::RequestLock(velta& w) {
  QList<QPushButton*> buttons;
  for (const tune_cmd::ButtonRow& b : tune_cmd::BUTTONS())
    if (b.request_lock) buttons << w.findChild<QPushButton*>(QLatin1String(b.name));
  if (CALIBRATION* f = calibration_form()) buttons << f->calib360 << f->calib_def << f->calib << f->write_factor;
  for (QPushButton* b : buttons) {
    kept_.push_back({b, b->isEnabled(), ui::BACKCOLOR(b)});
    b->setEnabled(false);
    ui::SET_BACKCOLOR(b, colours::SYS_BUTTON_FACE());
  }
}

RequestLock::~RequestLock() {
  for (const Kept& k : kept_) {
    if (!k.button) continue;  // its window was closed meanwhile
    k.button->setEnabled(k.enabled);
    ui::SET_BACKCOLOR(k.button, k.colour);
  }
}
}  // namespace tracking
