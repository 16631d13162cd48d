#include "check/status_reader.h"

#include <stdio.h>

#include <algorithm>

#include "check/stamp_clock.h"

namespace {

const size_t kUnknown = static_cast<size_t>(-1);
// Lines that cannot be placed are each named up to this many times.
const int kNamedLines = 5;
// Checks out of order looked up by a scan of the jobs before their index
// is built.
const int kScansBeforeIndex = 8;

// The outcome of a command that ended well, as the monitor logs it.
std::string Success() {
  char text[64];
  (void)snprintf(text, sizeof text, kOutcomeFormat, 0, 0);
  return text;
}

// A value as the log's reading leaves it: a quoted one may end in blanks.
std::string_view Logged(std::string_view value) {
  std::string_view text(value);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

CStatusReader::CStatusReader(CStatusReport& report)
    : m_report(report),
      m_bHasModified(false),
      m_nModified(0),
      m_nGeneration(0),
      m_nLastCursor(0),
      m_bHasPlaced(false),
      m_nLastPlaced(kUnknown),
      m_nWhen(0),
      m_nPrevious(0),
      m_bHasPrevious(false),
      m_bWentBack(false),
      m_nOutOfOrder(0),
      m_nBeforeChange(0),
      m_nCutAtStart(0),
      m_nRepeated(0),
      m_nScans(0),
      m_checkHead(CLogLines::Head(kCheckPrefix)),
      m_startHead(CLogLines::Head(kStartPrefix)),
      m_successHead(CLogLines::Head(Success())) {}
CStatusReader::~CStatusReader() = default;

void CStatusReader::Begin(CJobList& jobs) {
  m_bHasModified = jobs.m_bHasModified;
  m_nModified = jobs.m_nModified;
  // The texts move to the report, where they stay while the lines pass.
  m_report.jobText = jobs.m_text;
  m_report.jobs.clear();
  m_report.jobs.resize(jobs.m_jobs.size());
  m_checkText.reserve(jobs.m_jobs.size());
  m_runText.reserve(jobs.m_jobs.size());
  for (size_t i = 0; i < jobs.m_jobs.size(); ++i) {
    ListedJob& listed = jobs.m_jobs[i];
    JobStatus& job = m_report.jobs[i];
    job.section = std::move(listed.section);
    job.position = static_cast<int>(i) + 1;
    job.check = listed.check;
    job.run = listed.run;
    m_checkText.push_back(Logged(job.check));
    m_runText.push_back(Logged(job.run));
  }
  m_checked.assign(m_report.jobs.size(), Checks());
  m_lastStartLine.assign(m_report.jobs.size(), kUnknown);
  // Before the first start in the window, a monitor is already in a pass.
  m_cursors.push_back(Cursor{0, kUnknown, -1, -1, LinePlace(), 0, false});
}

bool CStatusReader::Take(CLogLines& lines, std::string_view& rest,
                         LogLine& line) {
  // Only the newest monitor's next line: the one whose place Use() keeps,
  // for which the lookups of Checked, StartLogged and Ended find this
  // cursor and this job. The message's first byte says which it can be.
  if (m_nLastCursor + 1 != m_cursors.size() || m_checkText.empty() ||
      rest.size() <= kStampWidth) {
    return false;
  }
  const size_t cursor = m_nLastCursor;
  const Cursor& c = m_cursors[cursor];
  const char first = rest[kStampWidth];
  if (first == m_checkHead[3]) {
    return c.open < 0 && c.next != kUnknown && TakeChecks(lines, rest, line);
  }
  if (first == m_startHead[3]) {
    if (c.open >= 0 || c.checked < 0 ||
        !lines.Take(rest, m_startHead,
                    m_runText[static_cast<size_t>(c.checked)],
                    LogMessageKind::kStart, line)) {
      return false;
    }
    Stamp(line);
    StartedAt(cursor, line);
    return true;
  }
  if (first != m_successHead[3] || c.open < 0 ||
      !lines.Take(rest, m_successHead, {}, LogMessageKind::kOutcome, line)) {
    return false;
  }
  Stamp(line);
  EndedAt(cursor, line);
  return true;
}

bool CStatusReader::TakeChecks(CLogLines& lines, std::string_view& rest,
                               LogLine& line) {
  if (Part(line).hasStamps && TakeRun(lines, rest, line)) return true;
  // The file's first stamp, or one that needs a closer look: the line goes
  // the whole way.
  const size_t cursor = m_cursors.size() - 1;
  size_t expected = m_cursors[cursor].next;
  if (expected >= m_checkText.size()) expected = 0;
  if (!lines.Take(rest, m_checkHead, m_checkText[expected],
                  LogMessageKind::kCheck, line)) {
    return false;
  }
  Stamp(line);
  CheckedAt(cursor, expected, line);
  return true;
}

bool CStatusReader::TakeRun(CLogLines& lines, std::string_view& rest,
                            LogLine& line) {
  // A pass is mostly Checks of the jobs one after the other: those in the
  // minute of the line before are counted in a loop, which leaves what
  // Stamp, CheckedAt and Use would leave after its last line.
  const size_t count = m_checkText.size();
  // Held apart from the members, which the loop's stores could change.
  const std::string_view* const texts = m_checkText.data();
  Checks* const checked = m_checked.data();
  size_t next = m_cursors.back().next;
  size_t expected = 0;
  int64_t last = m_nPrevious;
  const int taken = lines.TakeRun(
      rest, m_checkHead, last,
      [&] {
        expected = next >= count ? 0 : next;
        return texts[expected];
      },
      [&](int64_t t) {
        Checks& checks = checked[expected];
        ++checks.count;
        checks.last = t;
        next = expected + 1;
        last = t;
      },
      LogMessageKind::kCheck, line);
  if (taken > 0) EndRun(Run{next, last, taken}, Part(line), line);
  return taken > 0;
}

void CStatusReader::EndRun(const Run& run, LogPartStatus& part,
                           const LogLine& line) {
  m_nWhen = run.last;
  m_nPrevious = run.last;
  part.lines += run.lines;
  part.last = run.last;
  m_report.monitor.lastLine = run.last;
  m_report.monitor.ended = false;
  Cursor& c = m_cursors.back();
  c.next = run.next;
  c.checked = static_cast<int>(run.next - 1);
  c.placed = true;
  m_nLastPlaced = line.sequence;
  m_bHasPlaced = true;
}

void CStatusReader::Line(const LogLine& line) {
  if (line.form != LineForm::kStamped) {
    Unstamped(line);
    return;
  }
  Stamp(line);
  switch (line.message.kind) {
    case LogMessageKind::kStarted:
      Started();
      break;
    case LogMessageKind::kConfigMissing:
      m_report.Note("job-file-missing", "at " + CStampClock::Format(m_nWhen) +
                                            " the monitor did not find its "
                                            "job file '" +
                                            std::string(line.message.value) +
                                            "' and ended");
      break;
    case LogMessageKind::kCheck:
      Checked(line);
      break;
    case LogMessageKind::kStart:
      StartLogged(line);
      break;
    case LogMessageKind::kOutcome:
    case LogMessageKind::kStartFailed:
      Ended(line);
      break;
    case LogMessageKind::kEnded:
    case LogMessageKind::kOther:
      Unplaced(line, "not a message of the monitor");
      break;
  }
}

void CStatusReader::Unstamped(const LogLine& line) {
  ++Part(line).lines;
  if (line.form == LineForm::kDamaged) {
    Unplaced(line, "damaged or cut");
  } else if (line.message.kind == LogMessageKind::kEnded) {
    m_report.monitor.ended = true;
  } else {
    Unplaced(line, "a continuation line the monitor does not write");
  }
}

void CStatusReader::Stamp(const LogLine& line) {
  int64_t t = line.when.seconds;
  if (line.when.ambiguous && m_bHasPrevious && t < m_nPrevious) {
    t = line.when.later;
    if (m_nRepeated++ == 0) m_firstRepeated = Place(line);
  } else if (m_bHasPrevious && t < m_nPrevious && !m_bWentBack) {
    m_bWentBack = true;
    m_report.Note("stamps-go-back",
                  Where(Place(line)) + " is stamped " +
                      std::to_string(m_nPrevious - t) +
                      " s before the line above it: the clock was set "
                      "back; lines are read in their order");
  }
  m_nWhen = t;
  m_nPrevious = t;
  m_bHasPrevious = true;
  LogPartStatus& part = Part(line);
  ++part.lines;
  if (!part.hasStamps) part.first = t;
  part.hasStamps = true;
  part.last = t;
  m_report.monitor.hasLine = true;
  m_report.monitor.lastLine = t;
  m_report.monitor.ended = false;
}

void CStatusReader::Started() {
  MonitorStatus& monitor = m_report.monitor;
  ++monitor.starts;
  monitor.hasStarted = true;
  monitor.lastStarted = m_nWhen;
  ++m_nGeneration;
  // A command that was running when the monitor started again has no
  // outcome, unless another monitor goes on and logs it.
  for (const Cursor& c : m_cursors) {
    if (c.open < 0) continue;
    const size_t job = static_cast<size_t>(c.open);
    if (m_lastStartLine[job] == c.openLine.sequence) {
      m_report.jobs[job].outcome = Outcome::kNoOutcome;
    }
  }
  // A monitor that started before the one before is taken for gone: a log
  // of many restarts keeps few places to try.
  const int generation = m_nGeneration;
  m_cursors.erase(std::remove_if(m_cursors.begin(), m_cursors.end(),
                                 [&](const Cursor& c) {
                                   return c.generation < generation - 1;
                                 }),
                  m_cursors.end());
  m_cursors.push_back(Cursor{m_nGeneration, 0, -1, -1, LinePlace(), 0, false});
  m_nLastCursor = m_cursors.size() - 1;
}

void CStatusReader::Checked(const LogLine& line) {
  size_t position = kUnknown;
  size_t chosen = Expecting(line.message.value, position);
  if (chosen == kUnknown) chosen = Resynchronise(line, position);
  if (chosen != kUnknown) CheckedAt(chosen, position, line);
}

size_t CStatusReader::Expecting(std::string_view text, size_t& position) const {
  const size_t count = m_checkText.size();
  for (size_t k = m_cursors.size(); k-- > 0 && count > 0;) {
    const Cursor& c = m_cursors[k];
    if (c.open >= 0 || c.next == kUnknown) continue;
    const size_t expected = c.next >= count ? 0 : c.next;
    if (m_checkText[expected] == text) {
      position = expected;
      return k;
    }
  }
  return kUnknown;
}

size_t CStatusReader::Resynchronise(const LogLine& line, size_t& position) {
  const std::string_view text = line.message.value;
  const size_t first = FindCheck(text, kUnknown);
  if (first == kUnknown) {
    // The monitor's place in its pass is lost until it shows again.
    if (m_nLastCursor < m_cursors.size()) {
      m_cursors[m_nLastCursor].checked = -1;
      m_cursors[m_nLastCursor].next = kUnknown;
    }
    const bool before = m_bHasModified && m_nWhen < m_nModified;
    if (before) ++m_nBeforeChange;
    Unplaced(line, before ? "a Check of no job, written before the job "
                            "file was last changed"
                          : "a Check of no job in the job file");
    return kUnknown;
  }
  const size_t chosen = FreeCursor(line);
  const Cursor& c = m_cursors[chosen];
  position = c.next == kUnknown ? first : FindCheck(text, c.next);
  if (c.next != kUnknown && m_nOutOfOrder++ < kNamedLines) {
    const size_t count = m_checkText.size();
    const size_t expected = c.next >= count ? 0 : c.next;
    m_report.Note("out-of-order", Where(Place(line)) + " checks [" +
                                      m_report.jobs[position].section +
                                      "] where a pass "
                                      "of the job file as it is now checks [" +
                                      m_report.jobs[expected].section + "]");
  }
  return chosen;
}

size_t CStatusReader::FreeCursor(const LogLine& line) {
  // Out of the order of a pass: resynchronise the newest free monitor,
  // or, when every one waits for an outcome, this is another writer.
  for (size_t k = m_cursors.size(); k-- > 0;) {
    if (m_cursors[k].open < 0) return k;
  }
  if (!m_report.twoWriters) {
    m_report.Note("two-monitors",
                  Where(Place(line)) + " checks a job while the start at " +
                      Where(m_cursors.back().openLine) +
                      " awaits its outcome: two monitors write this "
                      "log (or an outcome was lost)");
  }
  m_report.twoWriters = true;
  m_cursors.push_back(Cursor{m_cursors.back().generation, kUnknown, -1, -1,
                             LinePlace(), 0, false});
  return m_cursors.size() - 1;
}

void CStatusReader::CheckedAt(size_t cursor, size_t position,
                              const LogLine& line) {
  Cursor& c = m_cursors[cursor];
  c.next = position + 1;
  c.checked = static_cast<int>(position);
  Checks& checks = m_checked[position];
  ++checks.count;
  checks.last = m_nWhen;
  Use(cursor, line);
}

size_t CStatusReader::FindCheck(std::string_view text, size_t next) {
  // A log that follows its job file asks only where its window begins, and
  // a scan of the texts costs less than building the index; a log of many
  // lines out of order builds it.
  if (m_byCheck.empty() && m_nScans < kScansBeforeIndex) {
    ++m_nScans;
    size_t first = kUnknown;
    for (size_t i = 0; i < m_checkText.size(); ++i) {
      if (m_checkText[i] != text) continue;
      if (first == kUnknown) first = i;
      if (next == kUnknown || i >= next) return next == kUnknown ? first : i;
    }
    return first;
  }
  if (m_byCheck.empty()) {
    for (size_t i = 0; i < m_checkText.size(); ++i) {
      m_byCheck[m_checkText[i]].push_back(static_cast<int>(i));
    }
  }
  const auto found = m_byCheck.find(text);
  if (found == m_byCheck.end()) return kUnknown;
  for (const int p : found->second) {
    if (next != kUnknown && static_cast<size_t>(p) >= next) {
      return static_cast<size_t>(p);
    }
  }
  return static_cast<size_t>(found->second.front());
}

template <typename Fits>
size_t CStatusReader::FindCursor(const Fits& fits) const {
  if (m_nLastCursor < m_cursors.size() && fits(m_cursors[m_nLastCursor])) {
    return m_nLastCursor;
  }
  for (size_t k = m_cursors.size(); k-- > 0;) {
    if (fits(m_cursors[k])) return k;
  }
  return kUnknown;
}

void CStatusReader::StartLogged(const LogLine& line) {
  const std::string_view text = line.message.value;
  const auto fits = [&](const Cursor& c) {
    return c.checked >= 0 && c.open < 0 &&
           m_runText[static_cast<size_t>(c.checked)] == text;
  };
  const size_t chosen = FindCursor(fits);
  if (chosen == kUnknown) {
    Unplaced(line, "a start that follows no check of a job with this Run");
    return;
  }
  StartedAt(chosen, line);
}

void CStatusReader::StartedAt(size_t cursor, const LogLine& line) {
  Cursor& c = m_cursors[cursor];
  const size_t position = static_cast<size_t>(c.checked);
  c.checked = -1;
  JobStatus& job = m_report.jobs[position];
  ++job.starts;
  job.hasStarted = true;
  job.lastStarted = m_nWhen;
  m_lastStartLine[position] = line.sequence;
  if (line.message.value.empty()) {
    // Nothing runs, so nothing can hang.
    job.outcome = Outcome::kNoCommand;
  } else {
    job.outcome = Outcome::kRunning;
    c.open = static_cast<int>(position);
    c.openLine = Place(line);
    c.openSince = m_nWhen;
  }
  Use(cursor, line);
}

void CStatusReader::Ended(const LogLine& line) {
  const LogMessage& message = line.message;
  const bool startFailed = message.kind == LogMessageKind::kStartFailed;
  // The failure quotes the command whole, blanks at its end too, where the
  // start's line has none left.
  const std::string_view command = Logged(message.value);
  const auto fits = [&](const Cursor& c) {
    return c.open >= 0 &&
           (!startFailed || m_runText[static_cast<size_t>(c.open)] == command);
  };
  const size_t chosen = FindCursor(fits);
  if (chosen == kUnknown) {
    Unplaced(line, "an outcome without its start");
    return;
  }
  EndedAt(chosen, line);
}

void CStatusReader::EndedAt(size_t cursor, const LogLine& line) {
  const LogMessage& message = line.message;
  const bool startFailed = message.kind == LogMessageKind::kStartFailed;
  Cursor& c = m_cursors[cursor];
  const size_t position = static_cast<size_t>(c.open);
  JobStatus& job = m_report.jobs[position];
  const bool failed = startFailed || message.code != 0;
  if (m_lastStartLine[position] == c.openLine.sequence) {
    job.outcome = startFailed ? Outcome::kStartFailed
                  : failed    ? Outcome::kFailed
                              : Outcome::kSucceeded;
    job.code = message.code;
    job.error = message.error;
  }
  if (failed) {
    ++job.failures;
    if (!job.failing) job.failingSince = c.openSince;
    job.failing = true;
  } else {
    job.failing = false;
  }
  const int64_t run = m_nWhen - c.openSince;
  job.longestRun = std::max(job.longestRun, run);
  m_report.monitor.longestRun = std::max(m_report.monitor.longestRun, run);
  c.open = -1;
  Use(cursor, line);
}

void CStatusReader::Unplaced(const LogLine& line, const std::string& why) {
  // The first pass of the window began before it: its lines are simply
  // cut off, not out of place.
  if (!m_bHasPlaced && m_nGeneration == 0 && line.form != LineForm::kDamaged) {
    ++m_nCutAtStart;
    return;
  }
  if (m_report.unplaced++ < kNamedLines) {
    m_report.Note("unplaced", Where(Place(line)) + " cannot be placed: " + why);
  }
}

void CStatusReader::Use(size_t cursor, const LogLine& line) {
  Cursor& c = m_cursors[cursor];
  // A monitor that goes on after a later one started: two write the log.
  const Cursor& newest = m_cursors.back();
  if (c.generation < newest.generation && newest.placed &&
      !m_report.twoWriters) {
    m_report.twoWriters = true;
    m_report.Note("two-monitors",
                  Where(Place(line)) +
                      " goes on with a pass begun before the " +
                      "\"Quillspur gestartet\" at " +
                      CStampClock::Format(m_report.monitor.lastStarted) +
                      ": two monitors write this log");
  }
  c.placed = true;
  m_nLastCursor = cursor;
  m_nLastPlaced = line.sequence;
  m_bHasPlaced = true;
}

void CStatusReader::End() {
  for (size_t i = 0; i < m_checked.size(); ++i) {
    m_report.jobs[i].checks = m_checked[i].count;
    m_report.jobs[i].hasChecked = m_checked[i].count > 0;
    m_report.jobs[i].lastChecked = m_checked[i].last;
  }
  // The last line is a start without its outcome: the monitor is in Run.
  // An earlier one whose monitor went on lost its outcome, unless a second
  // monitor may still be running it.
  for (const Cursor& c : m_cursors) {
    if (c.open < 0) continue;
    const size_t job = static_cast<size_t>(c.open);
    JobStatus& status = m_report.jobs[job];
    if (status.outcome != Outcome::kRunning) continue;
    if (c.openLine.sequence == m_nLastPlaced) {
      m_report.monitor.runningJob = static_cast<int>(job);
      m_report.monitor.runningSince = c.openSince;
    } else if (!m_report.twoWriters) {
      status.outcome = Outcome::kNoOutcome;
    }
  }
  Totals();
}

void CStatusReader::Totals() {
  if (m_report.unplaced > kNamedLines) {
    m_report.Note("unplaced", std::to_string(m_report.unplaced) +
                                  " lines in all cannot be placed");
  }
  if (m_nOutOfOrder > kNamedLines) {
    m_report.Note("out-of-order", std::to_string(m_nOutOfOrder) +
                                      " checks in all are out of the order "
                                      "of a pass");
  }
  if (m_nBeforeChange > 0 || m_nOutOfOrder > 0) {
    m_report.Note("job-file-changed",
                  m_bHasModified && m_report.monitor.hasLine &&
                          m_nModified <= m_report.monitor.lastLine
                      ? "the job file was changed at " +
                            CStampClock::Format(m_nModified) +
                            ": lines written before are matched against it "
                            "as it is now"
                      : "the lines do not follow the job file as it is now: "
                        "it was changed since, or another job file was "
                        "used");
  }
  if (m_nRepeated > 0) {
    m_report.Note("repeated-hour",
                  std::to_string(m_nRepeated) + " lines from " +
                      Where(m_firstRepeated) +
                      " on are stamped in the hour that repeats when "
                      "daylight saving time ends: read as its second pass, "
                      "by their order in the file");
  }
}

CStatusReader::LinePlace CStatusReader::Place(const LogLine& line) {
  return LinePlace{line.file, line.number, line.sequence};
}

std::string CStatusReader::Where(const LinePlace& line) {
  return std::string(line.file == 0 ? "Quillspur.old" : "Quillspur.log") +
         " line " + std::to_string(line.number);
}
