#pragma once
// Readers of the fixed-width numeric fields of the CBOX replies. Each returns
// the field as trimmed decimal text, "0" for an all-zero field, and the empty
// string after a time-out.
#include <QString>

namespace tune_cmd {
QString GET_NUM05();         // 5 characters, no sign handling
QString GET_NUM05NT();       // 5 characters, 6 when a "-" leads; zeros after it dropped
QString GET_NUM03_SILENT();  // 3 characters, no message on time-out
}  // namespace tune_cmd
