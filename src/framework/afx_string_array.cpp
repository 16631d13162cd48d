#include "framework/afx_string_array.h"

CStringArray::CStringArray() = default;
CStringArray::~CStringArray() = default;

int CStringArray::GetSize() const { return static_cast<int>(m_items.size()); }

CString CStringArray::GetAt(int index) const {
  return m_items[static_cast<size_t>(index)];
}

void CStringArray::SetSize(int newSize, int /*growBy*/) {
  m_items.resize(newSize < 0 ? 0 : static_cast<size_t>(newSize));
}

void CStringArray::SetAtGrow(int index, const char* text) {
  if (index < 0) return;
  if (static_cast<size_t>(index) >= m_items.size()) {
    m_items.resize(static_cast<size_t>(index) + 1);
  }
  m_items[static_cast<size_t>(index)] = text;
}

int CStringArray::Add(const char* text) {
  m_items.emplace_back(text);
  return GetSize() - 1;
}
