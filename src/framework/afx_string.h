// CString: a counted 8-bit string with value semantics, the part of the
// Windows framework's string class that Quillspur uses. Text is
// Windows-1252 and is never converted.
#ifndef QUILLSPUR_FRAMEWORK_AFX_STRING_H
#define QUILLSPUR_FRAMEWORK_AFX_STRING_H

#include <string>

class CString {
 public:
  CString();
  CString(const char* text);  // NOLINT: implicit, as the framework's is
  CString(const CString& other);
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(const char* text);
  CString& operator+=(const char* text);
  CString& operator+=(const CString& text);
  CString& operator+=(char c);

  int GetLength() const;
  bool IsEmpty() const;
  char GetAt(int index) const;
  char operator[](int index) const;
  operator const char*() const;  // NOLINT: the framework's LPCTSTR cast

  // Position of the first c at or after start, counted from 0, or -1.
  int Find(char c, int start = 0) const;
  // count bytes from first; both are clamped to the text.
  CString Mid(int first, int count) const;
  // The first or last n bytes; n is clamped to [0, length]. The framework
  // has them; the job pass splits with Find from a position and Mid, which
  // copy no rest.
  CString Left(int n) const;
  CString Right(int n) const;
  // Upper-cases ASCII letters in place; other bytes stay as they are.
  void MakeUpper();
  // printf-style; replaces the content; no length limit.
  void Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // The NUL-terminated text, to be written in place up to its length.
  // Part of the framework the program is written against, though no code
  // calls it today; minLength is ignored, so the text is never longer.
  char* GetBuffer(int minLength);

 private:
  std::string m_data;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator!=(const CString& a, const char* b);

#endif
