#include "log_lines.h"

#include <string.h>

CLogLines::CLogLines() = default;
CLogLines::~CLogLines() = default;

void CLogLines::Add(int file, std::string bytes) {
  m_bytes.push_back(std::move(bytes));
  const std::string& text = m_bytes.back();
  const char* p = text.data();
  const char* const end = p + text.size();
  m_lines.reserve(m_lines.size() + text.size() / 60);
  int number = 0;
  while (p < end) {
    const char* lf =
        static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf == nullptr ? end : lf;
    std::string_view line(p, static_cast<size_t>(stop - p));
    p = lf == nullptr ? end : lf + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    LogLine out{file, ++number, LineForm::kDamaged, StampTime(), LogMessage()};
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
    m_lines.push_back(out);
  }
}
