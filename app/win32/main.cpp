#include <windows.h>

#include "app/win32/bot_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wobbet::CBotApp application;
    return application.Run();
}
