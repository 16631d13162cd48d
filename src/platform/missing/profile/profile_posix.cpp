// The two profile (INI) functions of kernel32, read the way Wine 8 reads
// them, byte for byte; a file with a UTF-16 or UTF-8 byte order mark, or
// one in well-formed UTF-8 with a byte above 127, is decoded into
// Windows-1252 first. The whole file is read on every call, so a change is
// seen by the next call whatever its time; only when the bytes that decide
// the answer equal those of the last read is their parsed form used again.
// Only regular files are read; anything else reads as a file that cannot be
// read.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ascii.h"
#include "platform/missing/profile/profile_text.h"
#include "platform/os_path.h"
#include "platform/profile_lexer.h"
#include "platform/text_encoding.h"
#include "platform/whole_file.h"

namespace {

const size_t kChunk = 262144;

// The last file read, parsed; valid is false until a parse has completed.
// A file in Windows-1252 is parsed as its bytes; one in another encoding
// is decoded first, and its bytes are kept in raw. A file is compared with
// the cache through chunk: large, since every call reads the whole file and
// each read costs a system call, and not on the stack.
struct ProfileCache {
  std::mutex lock;
  CProfileText text;
  TextEncoding encoding = TextEncoding::kWindows1252;
  std::string raw;
  // Where the first byte above 127 stands in a file read as Windows-1252.
  size_t firstHighByte = std::string::npos;
  bool valid = false;
  char chunk[kChunk];
};

// Made at its first use, so a call from another global's construction
// finds it ready.
ProfileCache& Cache() {
  static ProfileCache cache;
  return cache;
}

bool ParentIsDirectory(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string parent = slash == std::string::npos
                                 ? "."
                                 : path.substr(0, std::max<size_t>(slash, 1));
  struct stat info;
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

enum class Comparison { kSame, kDiffers, kFailed };

// Reads all of fd, comparing its first need bytes with those of bytes;
// need is at most bytes.size(), and at bytes.size() the file must also end
// there. Stops at the first byte that differs. The bytes after need are
// read without being compared, so that a file that cannot be read whole
// still reads as one that cannot be read. With sniff, since every byte
// decides the encoding, the file must also be in encoding.
Comparison CompareWithFile(int fd, const std::string& bytes, size_t need,
                           bool sniff, TextEncoding encoding, char* chunk) {
  size_t total = 0;
  CTextSniffer sniffer;
  for (;;) {
    const ssize_t got = read(fd, chunk, kChunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Comparison::kFailed;
    if (got == 0) break;
    const size_t count = static_cast<size_t>(got);
    if (total < need) {
      const size_t compared = std::min(count, need - total);
      if (memcmp(bytes.data() + total, chunk, compared) != 0)
        return Comparison::kDiffers;
    }
    if (sniff) sniffer.Feed(chunk, count);
    total += count;
  }
  if (total < need || (need == bytes.size() && total != need) ||
      (sniff && sniffer.Result() != encoding))
    return Comparison::kDiffers;
  return Comparison::kSame;
}

const CProfileText::Section* FindSection(const CProfileText* profile,
                                         std::string_view name) {
  if (profile == nullptr || name.size() > CProfileLexer::kMaxNameLength)
    return nullptr;
  return profile->FindSection(name);
}

// The first line of that name in the first section of that name only: keys
// of a repeated section are lost.
const CProfileText::Key* FindKey(const CProfileText& profile,
                                 const char* section, const char* key) {
  std::string_view sectionName, name;
  if (!CProfileLexer::LookUpName(section, sectionName) ||
      !CProfileLexer::LookUpName(key, name))
    return nullptr;
  const CProfileText::Section* found = FindSection(&profile, sectionName);
  if (found == nullptr) return nullptr;
  const CProfileText::Key* keys = profile.KeysOf(*found);
  for (uint32_t i = 0; i < found->keyCount; ++i) {
    if (SameProfileName(profile.NameOf(keys[i]), name)) return &keys[i];
  }
  return nullptr;
}

// What a call asks for: the section list (section null), the key list of
// a section (key null), or one value; size is the caller's buffer.
struct Query {
  const char* section;
  const char* key;
  DWORD size;
};

// Just past the end of the line that holds offset: its CR or LF included.
// One pass over the line: each block is searched for both bytes while it is
// in the cache, and the search for CR stops at the LF found.
size_t LineEnd(const std::string& bytes, size_t offset) {
  const size_t kBlock = 4096;
  const char* const data = bytes.data();
  for (size_t begin = offset; begin < bytes.size(); begin += kBlock) {
    const size_t length = std::min(kBlock, bytes.size() - begin);
    const char* lf =
        static_cast<const char*>(memchr(data + begin, '\n', length));
    const size_t before =
        lf != nullptr ? static_cast<size_t>(lf - (data + begin)) : length;
    const char* cr =
        static_cast<const char*>(memchr(data + begin, '\r', before));
    const char* end = cr != nullptr ? cr : lf;
    if (end != nullptr) return static_cast<size_t>(end - data) + 1;
  }
  return bytes.size();
}

// Where the search for the end of a line may start: past the name and the
// value that the parse kept of it, which hold no CR or LF.
size_t KeptEnd(uint32_t offset, uint32_t length) {
  return static_cast<size_t>(offset) + length;
}
size_t KeptEnd(const CProfileText::Key& key) {
  return key.valueOffset == CProfileText::kNoValue
             ? KeptEnd(key.nameOffset, key.nameLength)
             : KeptEnd(key.valueOffset, key.valueLength);
}

// For a value that does not fit into size: the bytes through its first
// non-blank byte from size - 2 on. A file that begins with them holds a
// value that begins with the size - 1 bytes returned and is no shorter, as
// trailing blanks cannot reach back past that byte. 0 where the whole line
// decides: the value fits, or it opens with a quote, since then its last
// byte decides whether the quotes are stripped.
size_t CutValueEnd(const CProfileText& profile, const CProfileText::Key& key,
                   DWORD size) {
  if (key.valueOffset == CProfileText::kNoValue || size < 2) return 0;
  const std::string_view value = profile.ValueOf(key);
  if (value.size() < size || value[0] == '"' || value[0] == '\'') return 0;
  size_t last = size - 2;
  while (last < value.size() && IsProfileBlank(value[last])) ++last;
  // Only a NUL that cut the value leaves blanks at its end.
  if (last == value.size()) return 0;
  return static_cast<size_t>(key.valueOffset) + last + 1;
}

// How many leading bytes of the file that profile was parsed from decide
// the answer to query: any file that begins with them gives the same
// answer. Lines are read in order and the first section and the first line
// of a name win, so nothing after the line that decided can change it; a
// section's lines end at the next header, which therefore decides too.
// A section that is not there can still come at the end: all bytes decide.
// A value cut to the buffer is decided by the part returned. These are the
// parse rules of CProfileText::Parse (profile_text.h) and of the lexer it
// reads lines with (profile_lexer.h); the cache table of the unit tests
// fails when one changes without this function.
size_t DecidingLength(const CProfileText& profile, const Query& query) {
  const std::string& bytes = profile.Bytes();
  if (query.section == nullptr) return bytes.size();
  const CProfileText::Section* section = nullptr;
  std::string_view name;
  if (query.key == nullptr) {
    section = FindSection(&profile, query.section);
  } else if (CProfileLexer::LookUpName(query.section, name)) {
    section = FindSection(&profile, name);
  }
  if (section == nullptr) return bytes.size();
  if (query.key != nullptr) {
    const CProfileText::Key* key = FindKey(profile, query.section, query.key);
    if (key != nullptr) {
      const size_t cut = CutValueEnd(profile, *key, query.size);
      return cut != 0 ? cut : LineEnd(bytes, KeptEnd(*key));
    }
  }
  const std::vector<CProfileText::Section>& sections = profile.Sections();
  const size_t next = static_cast<size_t>(section - sections.data()) + 1;
  return next < sections.size()
             ? LineEnd(bytes, KeptEnd(sections[next].nameOffset,
                                      sections[next].nameLength))
             : bytes.size();
}

// Compares the bytes that decide query with the file's. A decoded file's
// offsets are not its bytes': all of it decides, and the same bytes are in
// the same encoding. The bytes that decide in a Windows-1252 file read alike
// in UTF-8 while they are ASCII; only then does the rest of the file not
// matter to the encoding.
Comparison CompareWithCache(int fd, const Query& query, ProfileCache& cache) {
  const bool decoded = cache.encoding != TextEncoding::kWindows1252;
  const std::string& bytes = decoded ? cache.raw : cache.text.Bytes();
  const size_t need =
      decoded ? bytes.size() : DecidingLength(cache.text, query);
  const bool sniff = !decoded && cache.firstHighByte < need;
  return CompareWithFile(fd, bytes, need, sniff, cache.encoding, cache.chunk);
}

// Reads all of fd. When the bytes that decide query equal the cached ones,
// their parse stays; otherwise the cache is emptied first, so that the old
// and the new parse never take memory at the same time, and the file is
// read again whole.
bool ReadIntoCache(int fd, const Query& query, ProfileCache& cache) {
  if (cache.valid) {
    const Comparison comparison = CompareWithCache(fd, query, cache);
    if (comparison != Comparison::kDiffers) {
      return comparison == Comparison::kSame;
    }
    if (lseek(fd, 0, SEEK_SET) != 0) return false;
  }
  cache.valid = false;
  cache.text.Clear();
  std::string().swap(cache.raw);
  std::string bytes;
  if (!AppendWholeFile(fd, bytes, CProfileText::kMaxBytes)) return false;
  cache.encoding = DetectTextEncoding(bytes);
  cache.firstHighByte = std::string::npos;
  if (cache.encoding == TextEncoding::kWindows1252) {
    const auto high = std::find_if(bytes.begin(), bytes.end(), [](char c) {
      return static_cast<unsigned char>(c) > 127;
    });
    if (high != bytes.end())
      cache.firstHighByte = static_cast<size_t>(high - bytes.begin());
    cache.text.Parse(std::move(bytes));
  } else {
    cache.text.Parse(DecodeText(bytes, cache.encoding));
    cache.raw = std::move(bytes);
  }
  cache.valid = true;
  return true;
}

// The profile of fileName, or null when it cannot be read: an empty name, a
// missing directory, no permission, not a regular file. A missing file in
// an existing directory reads as empty. Windows reads win.ini for a null
// name; there is none here. Called with the cache locked; what it returns
// answers query as the file stands, but may differ from it elsewhere.
const CProfileText* LoadProfile(const char* fileName, const Query& query,
                                ProfileCache& cache) {
  static const CProfileText empty;
  if (fileName == nullptr) return &empty;
  if (*fileName == '\0') return nullptr;
  const std::string path = OsPath(fileName);
  // Without blocking: a FIFO must not wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return errno == ENOENT && ParentIsDirectory(path) ? &empty : nullptr;
  }
  struct stat info;
  bool loaded = false;
  try {
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
      loaded = ReadIntoCache(fd, query, cache);
    }
  } catch (...) {
    // Out of memory goes on to the entry point; the descriptor does not.
    close(fd);
    throw;
  }
  close(fd);
  return loaded ? &cache.text : nullptr;
}

// Places at most size - 1 bytes and a NUL; returns the bytes placed.
DWORD PlainCopy(std::string_view value, char* buffer, DWORD size) {
  const size_t length = std::min<size_t>(value.size(), size - 1);
  memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

// Strips one pair of matching double or single quotes around the whole
// value. Like Wine it drops the last byte that fits whenever size reaches
// the length after the opening quote, which costs a real byte at exactly
// that size ("abc" in 4 bytes gives "ab").
DWORD CopyValue(std::string_view value, char* buffer, DWORD size) {
  const bool quoted = CProfileLexer::Unquoted(value).size() != value.size();
  if (quoted) value.remove_prefix(1);
  size_t length = std::min<size_t>(value.size(), size - 1);
  if (quoted && size >= value.size() && length > 0) --length;
  return PlainCopy(value.substr(0, length), buffer, size);
}

// Trailing blanks (only " ") of the default go, but never its first byte.
std::string_view TrimDefault(const char* defaultValue) {
  std::string_view result(defaultValue == nullptr ? "" : defaultValue);
  while (result.size() > 1 && result.back() == ' ') result.remove_suffix(1);
  return result;
}

// The section names, each with its NUL, and one NUL more; returns the bytes
// before that last NUL. A list that does not fit ends in its first size - 2
// bytes and one NUL, and returns size - 2.
DWORD SectionList(const CProfileText* profile, char* buffer, DWORD size) {
  size_t used = 0;
  size_t room = size - 1;
  if (profile != nullptr && size > 1) {
    for (const CProfileText::Section& section : profile->Sections()) {
      const std::string_view name = profile->NameOf(section);
      if (name.empty()) continue;
      if (name.size() + 1 >= room) {
        memcpy(buffer + used, name.data(), room - 1);
        buffer[size - 2] = '\0';
        return size - 2;
      }
      memcpy(buffer + used, name.data(), name.size());
      used += name.size();
      buffer[used++] = '\0';
      room -= name.size() + 1;
    }
  }
  buffer[used] = '\0';
  return static_cast<DWORD>(used);
}

// The keys with "=" that are not comments, duplicates included, each cut
// to what fits and with its NUL, then one NUL more; the count excludes that
// last NUL, and a list cut short returns size - 2. A list that would begin
// with an empty string, or none, gives the default instead.
DWORD KeyList(const CProfileText* profile, const CProfileText::Section* section,
              std::string_view fallback, char* buffer, DWORD size) {
  const auto listed = [profile](const CProfileText::Key& key) {
    return key.valueOffset != CProfileText::kNoValue &&
           !CProfileLexer::IsComment(profile->NameOf(key));
  };
  const CProfileText::Key* keys =
      section == nullptr ? nullptr : profile->KeysOf(*section);
  const uint32_t count = section == nullptr ? 0 : section->keyCount;
  const CProfileText::Key* first = std::find_if(keys, keys + count, listed);
  if (size <= 2 || first == keys + count || profile->NameOf(*first).empty())
    return CopyValue(fallback, buffer, size);
  size_t used = 0;
  size_t room = size;
  for (const CProfileText::Key* key = first; key != keys + count; ++key) {
    if (room <= 2) break;
    if (!listed(*key)) continue;
    const std::string_view name = profile->NameOf(*key);
    const size_t length = std::min(name.size(), room - 2);
    memcpy(buffer + used, name.data(), length);
    used += length;
    buffer[used++] = '\0';
    room -= length + 1;
  }
  if (room <= 1) return size - 2;  // its last NUL already stands there
  buffer[used] = '\0';
  return static_cast<DWORD>(used);
}

// Profile null: the file cannot be read.
DWORD ReadString(const CProfileText* profile, LPCSTR section, LPCSTR key,
                 std::string_view fallback, LPSTR buffer, DWORD size) {
  if (section == nullptr) return SectionList(profile, buffer, size);
  if (key == nullptr) {
    // The key list looks the section up untrimmed.
    return KeyList(profile, FindSection(profile, section), fallback, buffer,
                   size);
  }
  // Only here does Wine hand out the default of an unreadable file as is.
  if (profile == nullptr) return PlainCopy(fallback, buffer, size);
  const CProfileText::Key* found = FindKey(*profile, section, key);
  return CopyValue(
      found != nullptr && found->valueOffset != CProfileText::kNoValue
          ? profile->ValueOf(*found)
          : fallback,
      buffer, size);
}

// What a call returns when memory ran out; buffer has room for a byte.
DWORD OutOfMemory(LPSTR buffer) {
  buffer[0] = '\0';
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return 0;
}

}  // namespace

// No C++ exception leaves these functions. Memory that runs out is reported
// as Win32 reports it: 0, an empty buffer and ERROR_NOT_ENOUGH_MEMORY as the
// last error, so that the caller can tell it from an empty value. Any other
// failure makes the file read as one that cannot be read.
extern "C" DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key,
                                          LPCSTR defaultValue, LPSTR buffer,
                                          DWORD size,
                                          LPCSTR fileName) noexcept {
  if (buffer == nullptr || size == 0) return 0;
  const std::string_view fallback = TrimDefault(defaultValue);
  try {
    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> hold(cache.lock);
    return ReadString(LoadProfile(fileName, Query{section, key, size}, cache),
                      section, key, fallback, buffer, size);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(buffer);
  } catch (const std::exception&) {
    return ReadString(nullptr, section, key, fallback, buffer, size);
  }
}

extern "C" DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size,
                                                LPCSTR fileName) noexcept {
  if (buffer == nullptr || size == 0) return 0;
  try {
    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> hold(cache.lock);
    return SectionList(
        LoadProfile(fileName, Query{nullptr, nullptr, size}, cache), buffer,
        size);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(buffer);
  } catch (const std::exception&) {
    return SectionList(nullptr, buffer, size);
  }
}
