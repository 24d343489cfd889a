/* Prints "x y width height" of the client area of the visible top-level window with the given
 * caption, in screen coordinates, or nothing when there is none. Wine draws the windows' frames
 * itself, so the X window that xdotool finds is larger than what the program lays out; the Wine
 * test asks Windows itself where the program's own pixels begin. */
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

struct search {
  const wchar_t *caption;
  HWND found;
};

static BOOL CALLBACK visit(HWND window, LPARAM data) {
  struct search *s = (struct search *)data;
  wchar_t text[256];
  if (!IsWindowVisible(window)) return TRUE;
  if (GetWindowTextW(window, text, 256) <= 0 || wcscmp(text, s->caption) != 0) return TRUE;
  s->found = window;
  return FALSE;
}

int main(void) {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  struct search s = {0};
  RECT r;
  POINT origin = {0, 0};
  /* Screen pixels, as the pointer moves in, at any display scaling: a program that does not say it
   * knows the scaling would be told places and sizes shrunk by it. */
  SetProcessDPIAware();
  if (argc != 2) {
    fprintf(stderr, "usage: client_rect.exe CAPTION\n");
    return 2;
  }
  s.caption = argv[1];
  EnumWindows(visit, (LPARAM)&s);
  if (!s.found || !GetClientRect(s.found, &r) || !ClientToScreen(s.found, &origin)) return 1;
  printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right - r.left, r.bottom - r.top);
  return 0;
}
