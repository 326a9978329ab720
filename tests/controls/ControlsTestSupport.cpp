#include "ControlsTestSupport.h"

namespace controlstest {

BEGIN_MESSAGE_MAP(CTestParent, CWnd)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

} // namespace controlstest
