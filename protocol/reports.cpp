#include "protocol/reports.h"

namespace tune_cmd {
Reports& REPORTS() {
  static Reports reports;
  return reports;
}
}  // namespace tune_cmd
