/*
** The program's one tooltip window ("187561TT"): shown after the pointer
** has rested on the requesting window for a second, hidden after five or
** as soon as the pointer is over another window.
*/
#ifndef tooltip_h
#define tooltip_h

#include <windows.h>

extern HWND tt_window;

struct tt_state {
  char text[1024];    /* a copy: the requester may change its text */
  HWND hovered;
  UINT_PTR show_timer;
  int shown;          /* the show timer has fired for the hovered window */
  int visible;
  DWORD since;        /* time of the request */
  POINT anchor;
  SIZE size;
};
extern struct tt_state tt;

void tt_create(void);
void tt_request(const char *text);
void tt_hover(const MSG *msg);   /* the terminal loop's hover check */
void tt_hide(void);
LRESULT CALLBACK tt_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
