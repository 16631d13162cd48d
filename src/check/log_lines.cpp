#include "log_lines.h"

#include <string.h>

CLogLines::CLogLines() : m_nSequence(0) {}
CLogLines::~CLogLines() = default;

void CLogLines::Read(int file, std::string_view bytes,
                     const std::function<void(const LogLine&)>& each) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  LogLine out{file, 0, 0, LineForm::kDamaged, StampTime(), LogMessage()};
  while (p < end) {
    const char* lf =
        static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf == nullptr ? end : lf;
    std::string_view line(p, static_cast<size_t>(stop - p));
    p = lf == nullptr ? end : lf + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++out.number;
    out.sequence = m_nSequence++;
    out.form = LineForm::kDamaged;
    out.message = LogMessage();
    // A line cut short by a full disk ends without its LF.
    const bool whole = lf != nullptr;
    if (whole && line.size() >= kStampWidth &&
        line.compare(19, 3, " - ") == 0 &&
        m_clock.Read(line.substr(0, 19), out.when)) {
      out.form = LineForm::kStamped;
    } else if (whole && line.size() >= kStampWidth &&
               line.find_first_not_of(' ') >= kStampWidth) {
      out.form = LineForm::kContinuation;
    }
    if (out.form != LineForm::kDamaged) {
      out.message = ParseLogMessage(line.substr(kStampWidth));
    }
    each(out);
  }
}
