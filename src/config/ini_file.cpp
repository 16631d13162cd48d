#include "config/ini_file.h"

#include <mbstring.h>
#include <stdint.h>
#include <string.h>

#include <memory>

namespace {

// First size offered to the platform, and the step by which it grows.
const DWORD kReadStep = 512;
// What GetInt converts of a value: its first 64 bytes.
const DWORD kIntBuffer = 64;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// strtoul as the Windows runtime has it, where unsigned long has 32 bits:
// blanks, a sign, "0x" for radix 16, digits; beyond 32 bits gives
// 4294967295, and a minus sign negates the unsigned result. glibc's strtoul
// works in 64 bits, so both builds use this one.
uint32_t StrToUl32(const char* text, int radix) {
  while (IsBlank(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  if (radix == 16 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      DigitValue(text[2]) < 16) {
    text += 2;
  }
  uint64_t magnitude = 0;
  bool overflow = false;
  for (; DigitValue(*text) < radix; ++text) {
    magnitude = magnitude * static_cast<uint64_t>(radix) +
                static_cast<uint64_t>(DigitValue(*text));
    if (magnitude > UINT32_MAX) {
      overflow = true;
      magnitude = UINT32_MAX;
    }
  }
  if (overflow) return UINT32_MAX;
  const uint32_t value = static_cast<uint32_t>(magnitude);
  return negative ? 0u - value : value;
}

// Counts the strings of a list into the int behind count.
int CountString(const char* /*string*/, void* count) {
  ++*static_cast<int*>(count);
  return 1;
}

// A copy of text in a new buffer.
std::unique_ptr<char[]> Copy(const char* text) {
  const size_t size = strlen(text) + 1;
  std::unique_ptr<char[]> copy(new char[size]);
  memcpy(copy.get(), text, size);
  return copy;
}

}  // namespace

CIniFile::CIniFile() : CIniFile(CProfileReader::System()) {}

CIniFile::CIniFile(CProfileReader& reader)
    : m_reader(reader), m_pszFileName(nullptr) {}

CIniFile::~CIniFile() { delete[] m_pszFileName; }

void CIniFile::SetFileName(const char* name) {
  if (name == nullptr) {
    if (m_pszFileName != nullptr) m_pszFileName[0] = '\0';
    return;
  }
  // Copy first: name may be the held name itself.
  char* copy = Copy(name).release();
  delete[] m_pszFileName;
  m_pszFileName = copy;
}

char* CIniFile::GetStringAlloc(const char* section, const char* key,
                               const char* defaultValue) {
  const char* fallback = defaultValue == nullptr ? "" : defaultValue;
  // A null section or key would make the platform list sections or keys.
  if (section == nullptr || key == nullptr) return Copy(fallback).release();
  for (DWORD size = kReadStep;; size += kReadStep) {
    std::unique_ptr<char[]> buffer(new char[size + 1]);
    const DWORD length = m_reader.ReadString(section, key, fallback,
                                             buffer.get(), size, m_pszFileName);
    // size - 1 means the value may have been cut, and so does size - 2: the
    // platform drops a byte of a quoted value that ends at size - 1.
    if (length + 2 < size) return buffer.release();
  }
}

int CIniFile::GetString(const char* section, const char* key, char* buffer,
                        DWORD count, const char* defaultValue) {
  if (buffer != nullptr) buffer[0] = '\0';
  const std::unique_ptr<char[]> value(
      GetStringAlloc(section, key, defaultValue));
  DWORD length = static_cast<DWORD>(strlen(value.get()));
  if (buffer != nullptr) {
    _mbsnbcpy(reinterpret_cast<unsigned char*>(buffer),
              reinterpret_cast<const unsigned char*>(value.get()), count);
    if (length >= count) length = count;
  }
  return static_cast<int>(length);
}

CString CIniFile::GetString(const char* section, const char* key,
                            const char* defaultValue) {
  const std::unique_ptr<char[]> value(
      GetStringAlloc(section, key, defaultValue));
  return CString(value.get());
}

int CIniFile::GetInt(const char* section, const char* key, int defaultValue,
                     int radix) {
  // The 65th byte is never written, so the text is always terminated.
  char text[kIntBuffer + 1] = {};
  GetString(section, key, text, kIntBuffer, nullptr);
  return IntFromProfileValue(text, defaultValue, radix);
}

int IntFromProfileValue(std::string_view value, int defaultValue, int radix) {
  char text[kIntBuffer + 1] = {};
  value.copy(text, kIntBuffer);
  if (text[0] == '\0') return defaultValue;
  return static_cast<int>(StrToUl32(text, NormalizeRadix(radix)));
}

DWORD CIniFile::GetSectionNames(char* buffer, DWORD size) {
  if (buffer != nullptr)
    return m_reader.ReadSectionNames(buffer, size, m_pszFileName);
  DWORD offered = 0;
  DWORD count = 0;
  do {
    offered += kReadStep;
    const std::unique_ptr<char[]> probe(new char[offered + 1]);
    count = m_reader.ReadSectionNames(probe.get(), offered, m_pszFileName);
  } while (count + 2 >= offered);  // size - 2 means the list was cut
  return count + 2;
}

void CIniFile::GetSectionNames(CStringArray* names) {
  if (names != nullptr) names->SetSize(0, -1);
  const DWORD length = GetSectionNames(nullptr, 0);
  if (length == 0) return;
  // Zeroed, so the walk ends even if the platform writes less than it said.
  const std::unique_ptr<char[]> list(new char[length + 1]());
  GetSectionNames(list.get(), length);
  if (names != nullptr) {
    // Room for every name at once: an array grown name by name would
    // hold up to twice the room of a list as long as the file.
    int count = 0;
    EnumStringList(list.get(), CountString, &count);
    names->SetSize(count, -1);
    names->SetSize(0, -1);
  }
  EnumStringList(list.get(), AddToStringArray, names);
}

int EnumStringList(const char* list, int (*callback)(const char*, void*),
                   void* context) {
  if (list == nullptr || callback == nullptr) return 0;
  for (size_t length = strlen(list); length != 0; length = strlen(list)) {
    if (callback(list, context) == 0) return 0;
    list += length + 1;
  }
  return 1;
}

int AddToStringArray(const char* string, void* array) {
  if (string == nullptr || array == nullptr) return 0;
  CStringArray* names = static_cast<CStringArray*>(array);
  names->SetAtGrow(names->GetSize(), string);
  return 1;
}

int NormalizeRadix(int radix) {
  return (radix == 2 || radix == 8 || radix == 16) ? radix : 10;
}
