// The program Jorvana: its one application object and the entry that runs it.
#include "shell/MainApp.h"

CMainApp theApp;

int main() { return AfxRunProgram(); }
