// CStringArray: a growable array of CString, as the framework's.
#ifndef QUILLSPUR_FRAMEWORK_AFX_STRING_ARRAY_H
#define QUILLSPUR_FRAMEWORK_AFX_STRING_ARRAY_H

#include <vector>

#include "framework/afx_string.h"

class CStringArray {
 public:
  CStringArray();
  virtual ~CStringArray();

  int GetSize() const;
  CString GetAt(int index) const;
  // Resizes to newSize; growBy is accepted for the framework's signature.
  void SetSize(int newSize, int growBy);
  // Sets the element at index, growing the array when index is past its end.
  void SetAtGrow(int index, const char* text);
  int Add(const char* text);

 private:
  std::vector<CString> m_items;
};

#endif
