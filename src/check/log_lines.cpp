#include "check/log_lines.h"

#include <string.h>

CLogLines::CLogLines() : m_nSequence(0), m_nRoom(0) {}
CLogLines::~CLogLines() = default;

void CLogLines::Grow(size_t kept) {
  std::unique_ptr<char[]> room(new char[m_nRoom * 2]);
  memcpy(room.get(), m_pRoom.get(), kept);
  m_pRoom = std::move(room);
  m_nRoom *= 2;
}

void CLogLines::Next(std::string_view& rest, LogLine& out) {
  const char* lf =
      static_cast<const char*>(memchr(rest.data(), '\n', rest.size()));
  const size_t length =
      lf == nullptr ? rest.size() : static_cast<size_t>(lf - rest.data());
  std::string_view line = rest.substr(0, length);
  rest.remove_prefix(lf == nullptr ? length : length + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  ++out.number;
  out.sequence = m_nSequence++;
  out.form = LineForm::kDamaged;
  // A line cut short by a full disk ends without its LF.
  const bool whole = lf != nullptr;
  if (whole && line.size() >= kStampWidth && Separated(line.data()) &&
      m_clock.Read(line.substr(0, kStampWidth - 3), out.when)) {
    out.form = LineForm::kStamped;
  } else if (whole && line.size() >= kStampWidth &&
             line.find_first_not_of(' ') >= kStampWidth) {
    out.form = LineForm::kContinuation;
  }
  if (out.form == LineForm::kDamaged) {
    out.message = LogMessage();
  } else {
    ParseLogMessage(line.substr(kStampWidth), out.message);
  }
}
