#include "afxlite/string.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include "afxlite/app.h"

CString::CString() : m_pszData(NULL), m_nLength(0) {}

CString::CString(LPCSTR text) : m_pszData(NULL), m_nLength(0)
{
    *this = text;
}

CString::CString(const CString& other) : m_pszData(NULL), m_nLength(0)
{
    Assign(other, other.m_nLength);
}

CString::CString(CString&& other) : m_pszData(other.m_pszData), m_nLength(other.m_nLength)
{
    other.m_pszData = NULL;
    other.m_nLength = 0;
}

CString::~CString()
{
    free(m_pszData);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other)
{
    if (this != &other) {
        free(m_pszData);
        m_pszData = other.m_pszData;
        m_nLength = other.m_nLength;
        other.m_pszData = NULL;
        other.m_nLength = 0;
    }
    return *this;
}

CString& CString::operator=(LPCSTR text)
{
    Assign(text, text ? (int)strlen(text) : 0);
    return *this;
}

CString& CString::operator+=(LPCSTR text)
{
    int extra = text ? (int)strlen(text) : 0;
    if (extra == 0)
        return *this;
    char* grown = (char*)realloc(m_pszData, (size_t)m_nLength + (size_t)extra + 1);
    if (grown == NULL)
        return *this;
    memcpy(grown + m_nLength, text, (size_t)extra + 1);
    m_pszData = grown;
    m_nLength += extra;
    return *this;
}

bool CString::operator==(LPCSTR text) const
{
    return strcmp(*this, text ? text : "") == 0;
}

// Copies first, frees after: `text` may point into this string.
void CString::Assign(LPCSTR text, int length)
{
    char* copy = NULL;
    if (length > 0) {
        copy = (char*)malloc((size_t)length + 1);
        if (copy != NULL) {
            memcpy(copy, text, (size_t)length);
            copy[length] = '\0';
        }
    }
    free(m_pszData);
    m_pszData = copy;
    m_nLength = copy ? length : 0;
}

BOOL CString::LoadString(UINT nID)
{
    // LoadStringA cannot say whether it cut the text, so retry with a larger buffer while it fills one.
    for (int size = 256; size <= 8192; size *= 2) {
        char* buffer = (char*)malloc((size_t)size);
        if (buffer == NULL)
            break;
        int length = ::LoadStringA(AfxGetResourceHandle(), nID, buffer, size);
        if (length < size - 1 || size == 8192) {
            Assign(buffer, length);
            free(buffer);
            return length > 0;
        }
        free(buffer);
    }
    Assign(NULL, 0);
    return FALSE;
}

void CString::Format(LPCSTR format, ...)
{
    char buffer[1025];
    va_list args;
    va_start(args, format);
    int length = wvsprintfA(buffer, format, args);
    va_end(args);
    Assign(buffer, length > 0 ? length : 0);
}

CString operator+(const CString& left, LPCSTR right)
{
    CString result(left);
    result += right;
    return result;
}
