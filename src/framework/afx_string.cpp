#include "framework/afx_string.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

CString::CString() = default;
CString::CString(const char* text) : m_data(text == nullptr ? "" : text) {}
CString::CString(const CString& other) = default;
CString::~CString() = default;

CString& CString::operator=(const CString& other) = default;

CString& CString::operator=(const char* text) {
  m_data = text == nullptr ? "" : text;
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text != nullptr) m_data += text;
  return *this;
}

CString& CString::operator+=(const CString& text) {
  m_data += text.m_data;
  return *this;
}

CString& CString::operator+=(char c) {
  m_data += c;
  return *this;
}

int CString::GetLength() const { return static_cast<int>(m_data.size()); }
bool CString::IsEmpty() const { return m_data.empty(); }
char CString::GetAt(int index) const {
  return m_data[static_cast<size_t>(index)];
}
char CString::operator[](int index) const { return GetAt(index); }
CString::operator const char*() const { return m_data.c_str(); }

int CString::Find(char c, int start) const {
  if (start < 0) start = 0;
  const size_t pos = m_data.find(c, static_cast<size_t>(start));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Mid(int first, int count) const {
  const size_t begin =
      std::min(static_cast<size_t>(std::max(first, 0)), m_data.size());
  CString result;
  result.m_data = m_data.substr(begin, static_cast<size_t>(std::max(count, 0)));
  return result;
}

CString CString::Left(int n) const { return Mid(0, n); }

CString CString::Right(int n) const {
  const int count = std::min(std::max(n, 0), GetLength());
  return Mid(GetLength() - count, count);
}

void CString::MakeUpper() {
  for (char& c : m_data) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized): va_start is above
  const int needed = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(again);
    m_data.clear();
    return;
  }
  std::vector<char> text(static_cast<size_t>(needed) + 1);
  (void)vsnprintf(text.data(), text.size(), format, again);  // sized above
  va_end(again);
  m_data.assign(text.data(), static_cast<size_t>(needed));
}

char* CString::GetBuffer(int /*minLength*/) { return &m_data[0]; }

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, const char* b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const char* a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

bool operator==(const CString& a, const CString& b) {
  return a.GetLength() == b.GetLength() &&
         memcmp(static_cast<const char*>(a), static_cast<const char*>(b),
                static_cast<size_t>(a.GetLength())) == 0;
}

bool operator==(const CString& a, const char* b) { return a == CString(b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
