// CWnd's default handlers of the messages that carry a point.

#include "platform/framework/Geometry.h"
#include "platform/framework/Wnd.h"

void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
