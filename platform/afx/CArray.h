// CArray: MFC's growable array, over std::vector.
// Deliberately missing: the serialisation helpers and custom grow-by policies.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    using INT_PTR = ptrdiff_t;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    void SetSize(INT_PTR nNewSize, INT_PTR /*nGrowBy*/ = -1) { m_data.resize(nNewSize > 0 ? static_cast<size_t>(nNewSize) : 0); }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR i) const { return m_data.at(static_cast<size_t>(i)); }
    TYPE& GetAt(INT_PTR i) { return m_data.at(static_cast<size_t>(i)); }
    void SetAt(INT_PTR i, ARG_TYPE v) { m_data.at(static_cast<size_t>(i)) = v; }
    TYPE& ElementAt(INT_PTR i) { return m_data.at(static_cast<size_t>(i)); }
    const TYPE& operator[](INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return GetAt(i); }
    TYPE* GetData() { return m_data.data(); }
    const TYPE* GetData() const { return m_data.data(); }

    INT_PTR Add(ARG_TYPE v) { m_data.push_back(v); return GetSize() - 1; }
    void SetAtGrow(INT_PTR i, ARG_TYPE v)
    {
        if (i >= GetSize())
            SetSize(i + 1);
        m_data[static_cast<size_t>(i)] = v;
    }
    void InsertAt(INT_PTR i, ARG_TYPE v, INT_PTR nCount = 1)
    {
        if (i > GetSize())
            SetSize(i);
        m_data.insert(m_data.begin() + i, static_cast<size_t>(nCount), v);
    }
    void RemoveAt(INT_PTR i, INT_PTR nCount = 1) { m_data.erase(m_data.begin() + i, m_data.begin() + i + nCount); }
    INT_PTR Append(const CArray& src)
    {
        INT_PTR at = GetSize();
        m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        return at;
    }
    void Copy(const CArray& src) { m_data = src.m_data; }

    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

private:
    std::vector<TYPE> m_data;
};
