// CString: an owned, zero-terminated byte string (ANSI code page), with what the host needs:
// copy, append, compare, format and load from the string table.
//
// Allocation failure leaves the string empty instead of throwing (the product has no exceptions).
#ifndef AFXLITE_STRING_H
#define AFXLITE_STRING_H

#include <windows.h>

class CString {
public:
    CString();
    CString(LPCSTR text);
    CString(const CString& other);
    CString(CString&& other);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other);
    CString& operator=(LPCSTR text);
    CString& operator+=(LPCSTR text);

    operator LPCSTR() const { return m_pszData ? m_pszData : ""; }
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    bool operator==(LPCSTR text) const;
    bool operator!=(LPCSTR text) const { return !(*this == text); }

    // Loads string `nID` from the application's string table; FALSE (string emptied) when absent.
    BOOL LoadString(UINT nID);
    // wsprintf-style formatting; Windows limits the result to 1024 bytes.
    void Format(LPCSTR format, ...);

private:
    void Assign(LPCSTR text, int length);

    char* m_pszData;
    int m_nLength;
};

CString operator+(const CString& left, LPCSTR right);

#endif
