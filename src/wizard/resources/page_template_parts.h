/* The pieces every page template is built from, in dialog units.

   Order matters twice: the tab order follows the templates, and the
   pictures, the header band and the white panel come last (bottom of the
   z-order) and clip their siblings, so that they never paint over the
   controls that lie on them. Every text static that shows the run's texts
   has SS_NOPREFIX, so an author's "&" stays an ampersand; only the
   password's label keeps its access key for the field after it. */
#pragma once
#include "page_ids.h"

#define PAGE_STYLE DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
#define PAGE_FONT FONT 10, "MS Shell Dlg", 0, 0, 1

#define TEXT_STYLE SS_LEFT | SS_NOPREFIX
#define BODY(x, y, w, h) CONTROL "", IDC_BODY, "Static", TEXT_STYLE, x, y, w, h
#define STEP(x, y, w) CONTROL "", IDC_STEP, "Static", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS, x, y, w, 8
#define PROGRESS_BAR(x, y, w) CONTROL "", IDC_PROGRESS_BAR, "msctls_progress32", PBS_SMOOTH, x, y, w, 11
#define LANGUAGE_LIST(x, y, w, h) \
  CONTROL "", IDC_LANGUAGES, "ListBox", \
      LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, x, y, w, h
#define DOCUMENT(x, y, w, h) \
  CONTROL "", IDC_DOCUMENT, "RichEdit20W", \
      ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, x, y, w, h
#define FOLDER(x, y, w) CONTROL "", IDC_FOLDER, "Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, x, y, w, 13
#define BROWSE(x, y) CONTROL "", IDC_BROWSE, "Button", BS_PUSHBUTTON | WS_TABSTOP, x, y, 50, 13
#define SPACE_TEXTS(x, w) \
  CONTROL "", IDC_SPACE_REQUIRED, "Static", TEXT_STYLE, x, 150, w, 8 \
  CONTROL "", IDC_SPACE_AVAILABLE, "Static", TEXT_STYLE, x, 160, w, 8
#define LINK(x, y, w, h) CONTROL "", IDC_LINK, "SysLink", WS_TABSTOP, x, y, w, h
#define OPTION_BOX(id, x, y) CONTROL "", id, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, x, y, 275 - x, 9
/* The summary's boxes where they stand with all four shown; the page
   restacks them by the ones it shows. */
#define OPTION_BOXES(x, y) \
  OPTION_BOX(IDC_START_APPLICATION, x, y) \
  OPTION_BOX(IDC_OPEN_FOLDER, x, y + 14) \
  OPTION_BOX(IDC_OPEN_DOCUMENT, x, y + 28) \
  OPTION_BOX(IDC_SHOW_LOG, x, y + 42)

/* Buttons: forward at the left, back-out at the right, 78 x 13. */
#define FORWARD(x, y) CONTROL "", IDC_FORWARD, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, x, y, 78, 13
#define BACK(x, y) CONTROL "", IDC_BACK, "Button", BS_PUSHBUTTON | WS_TABSTOP, x, y, 78, 13
#define PAGE_BUTTONS(y) FORWARD(116, y) BACK(198, y)
/* The small progress windows' single cancel button, centred. */
#define CENTRED_CANCEL(x, y) CONTROL "", IDC_BACK, "Button", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, x, y, 75, 12
#define SEPARATOR(x, y, w) CONTROL "", IDC_SEPARATOR, "Static", SS_ETCHEDHORZ, x, y, w, 1

/* The looks' own controls. */
#define PICTURE_STYLE SS_BITMAP | SS_CENTERIMAGE | WS_CLIPSIBLINGS
#define SIDE_PICTURE CONTROL "", IDC_PICTURE, "Static", PICTURE_STYLE, 4, 4, 86, 172
#define PANEL_PICTURE CONTROL "", IDC_PICTURE, "Static", PICTURE_STYLE, 0, 0, 90, 180
#define WHITE_PANEL CONTROL "", IDC_PANEL, "Static", SS_WHITERECT | WS_CLIPSIBLINGS, 90, 0, 194, 180
#define HEADER_TEXTS \
  CONTROL "", IDC_HEADER_TITLE, "Static", TEXT_STYLE, 81, 4, 199, 8 \
  CONTROL "", IDC_HEADER_SUBTITLE, "Static", TEXT_STYLE, 85, 14, 195, 8
#define HEADER_BAND CONTROL "", IDC_HEADER_BAND, "Static", PICTURE_STYLE, 0, 0, 280, 26
