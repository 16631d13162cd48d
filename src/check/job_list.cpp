#include "check/job_list.h"

#include <string.h>

#include "check/file_probe.h"
#include "framework/file_find.h"
#include "monitor/job_rules.h"
#include "platform/ascii.h"
#include "platform/os_path.h"
#include "platform/profile_lexer.h"
#include "platform/text_encoding.h"

namespace {

// How many "[" text holds: memchr from one to the next, which a file of
// thousands of sections passes much faster than a loop over every byte.
size_t Brackets(std::string_view text) {
  size_t count = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  while ((p = static_cast<const char*>(
              memchr(p, '[', static_cast<size_t>(end - p)))) != nullptr) {
    ++count;
    ++p;
  }
  return count;
}

// A section header as met, and the keys of its first block.
struct Block {
  std::string_view name;
  size_t first = 0;  // the block whose keys count for this name
  bool hasCheck = false;
  bool hasRun = false;
  bool hasDelay = false;
  std::string_view check;
  std::string_view run;
  std::string_view delay;
};

// The keys whose values a block keeps.
struct Keys {
  std::string_view check, run, delay;
};

// Keeps the line's value in block when it is the first line of a key it
// keeps; a line without "=" holds no value and hides any later one. Delay
// is kept for every block and looked at for the global section's alone.
void Keep(Block& block, const ProfileLine& line, const Keys& keys) {
  const std::string_view value = line.kind == ProfileLine::Kind::kKey
                                     ? CProfileLexer::Unquoted(line.value)
                                     : std::string_view();
  if (!block.hasCheck && SameAsciiText(line.name, keys.check)) {
    block.hasCheck = true;
    block.check = value;
  } else if (!block.hasRun && SameAsciiText(line.name, keys.run)) {
    block.hasRun = true;
    block.run = value;
  } else if (!block.hasDelay && SameAsciiText(line.name, keys.delay)) {
    block.hasDelay = true;
    block.delay = value;
  }
}

// The first block of each section name, ASCII letters in any case: an
// open-addressed table of indexes into the blocks, so that a file of
// thousands of sections costs no allocation per section.
class CFirstBlocks {
 public:
  // Room for this many sections without growing on the way.
  explicit CFirstBlocks(size_t sections) {
    size_t size = 128;
    while (size < (sections + 1) * 2) size *= 2;
    m_slots.assign(size, kFree);
  }
  // The first block named name, or kNone.
  size_t Find(const std::vector<Block>& blocks, std::string_view name) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = AsciiTextHash(name) & mask; m_slots[slot] != kFree;
         slot = (slot + 1) & mask) {
      if (SameAsciiText(blocks[m_slots[slot]].name, name)) return m_slots[slot];
    }
    return kNone;
  }
  static constexpr size_t kNone = static_cast<size_t>(-1);
  // The first block named as blocks[index]; index itself when it is new.
  size_t Of(const std::vector<Block>& blocks, size_t index) {
    if ((m_nCount + 1) * 2 > m_slots.size()) Grow(blocks);
    const std::string_view name = blocks[index].name;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = AsciiTextHash(name) & mask;; slot = (slot + 1) & mask) {
      const size_t at = m_slots[slot];
      if (at == kFree) {
        m_slots[slot] = index;
        ++m_nCount;
        return index;
      }
      if (SameAsciiText(blocks[at].name, name)) return at;
    }
  }

 private:
  static constexpr size_t kFree = static_cast<size_t>(-1);

  void Grow(const std::vector<Block>& blocks) {
    std::vector<size_t> old(m_slots.size() < 64 ? 128 : m_slots.size() * 2,
                            kFree);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const size_t at : old) {
      if (at == kFree) continue;
      size_t slot = AsciiTextHash(blocks[at].name) & mask;
      while (m_slots[slot] != kFree) slot = (slot + 1) & mask;
      m_slots[slot] = at;
    }
  }

  std::vector<size_t> m_slots;
  size_t m_nCount = 0;
};

// The sections as the profile functions list them, in file order and each
// time it stands: a nameless one is not listed. Each with the Check and Run
// that the profile functions' lookup reads: a header whose name a NUL cut
// after a blank reads the keys of another block, one too long those of
// none.
void AddJobs(const std::vector<Block>& blocks, const CFirstBlocks& first,
             std::vector<ListedJob>& jobs) {
  const Block none;
  for (const Block& block : blocks) {
    if (block.name.empty() ||
        (block.name.size() == 9 &&
         IsGlobalSection(std::string(block.name).c_str()))) {
      continue;
    }
    std::string_view asked;
    size_t at = CFirstBlocks::kNone;
    if (CProfileLexer::LookUpName(block.name, asked)) {
      at = asked.size() == block.name.size() ? block.first
                                             : first.Find(blocks, asked);
    }
    const Block& values = at == CFirstBlocks::kNone ? none : blocks[at];
    jobs.push_back(
        ListedJob{std::string(block.name), values.check, values.run});
  }
}

}  // namespace

CJobList::CJobList()
    : m_nDelay(kDefaultDelay), m_bHasModified(false), m_nModified(0) {}
CJobList::~CJobList() = default;

bool CJobList::Load(const std::string& jobFile, std::string& reason) {
  CFileFind finder;
  if (!finder.FindFile(jobFile.c_str(), 0)) {
    reason = "no file or directory matches " + jobFile;
    return false;
  }
  const CString profilePath = ProfilePathFor(jobFile.c_str());
  const std::string osPath = OsPath(profilePath);
  std::string bytes;
  if (!CFileProbe::Read(osPath, bytes, reason)) {
    reason = "the job file " + std::string(profilePath) + " cannot be read (" +
             reason + ")";
    return false;
  }
  m_bHasModified = CFileProbe::ModifiedTime(osPath, m_nModified);
  // Read as the profile functions read it: a marked or UTF-8 file decoded,
  // one in the code page as it is, without a copy.
  const TextEncoding encoding = DetectTextEncoding(bytes);
  m_text = std::make_shared<const std::string>(
      encoding == TextEncoding::kWindows1252 ? std::move(bytes)
                                             : DecodeText(bytes, encoding));
  List(*m_text);
  return true;
}

void CJobList::List(std::string_view text) {
  // Room for every section at once: a "[" per header at most.
  const size_t sections = Brackets(text);
  std::vector<Block> blocks;
  blocks.reserve(sections);
  CFirstBlocks first(sections);
  const Keys keys{kCheckKey, kRunKey, kDelayKey};
  CProfileLexer::Lex(text, [&](const ProfileLine& line) {
    if (line.kind == ProfileLine::Kind::kHeader) {
      // In place: a copy read back at once would wait on its own stores.
      blocks.emplace_back();
      blocks.back().name = line.name;
      blocks.back().first = first.Of(blocks, blocks.size() - 1);
      return;
    }
    // Keys count in the first block of a section.
    if (blocks.empty() || blocks.back().first != blocks.size() - 1) return;
    Keep(blocks.back(), line, keys);
  });
  // Delay as the monitor reads it: from this text, not from a second
  // parse of the file by the profile functions.
  const size_t global = first.Find(blocks, kGlobalSection);
  m_nDelay =
      DelayFromValue(global == CFirstBlocks::kNone ? std::string_view()
                                                   : blocks[global].delay);
  m_jobs.reserve(blocks.size());
  AddJobs(blocks, first, m_jobs);
}
