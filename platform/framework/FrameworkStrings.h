#pragma once
// String ids of the framework's own texts: the standard messages of failed data exchanges. A
// program whose string table (or whose language module's) holds one of them has it shown in its
// words; otherwise the framework's English is shown. Resource scripts include this file.

#define AFX_IDP_PARSE_INT 0xF110
#define AFX_IDP_PARSE_UINT 0xF111
#define AFX_IDP_PARSE_REAL 0xF112
#define AFX_IDP_PARSE_INT_RANGE 0xF113
