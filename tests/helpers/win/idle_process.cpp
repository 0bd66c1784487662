// A Windows program that does nothing for five minutes: the process tests
// copy it under names of their own and end the copies. It needs no library,
// so a copy runs from any folder.
#include <windows.h>

int main()
{
    Sleep(300000);
    return 3;
}
