/* The identifiers that the page templates (the .rc files in resources/) and the pages'
   code share: controls, posted commands and the pictures. Plain macros, so
   that the resource compiler reads them too. */
#pragma once

/* Buttons: each ends its page with its own id. */
#define IDC_FORWARD 1001 /* Next, OK, Install, Uninstall, accept */
#define IDC_BACK 1003    /* Cancel, decline */
#define IDC_BROWSE 1013

#define IDC_BODY 1009           /* the page's text */
#define IDC_STEP 1011           /* progress: the current step or file */
#define IDC_DOCUMENT 1005       /* licence or readme text */
#define IDC_PROGRESS_BAR 1007
#define IDC_FOLDER 1015         /* installation or start-menu folder */
#define IDC_LANGUAGES 1017
#define IDC_PASSWORD 1019
#define IDC_PICTURE 1021        /* side picture, styles 1 and 3 */
#define IDC_HEADER_BAND 1032    /* style 2 */
#define IDC_HEADER_TITLE 1034
#define IDC_HEADER_SUBTITLE 1035
#define IDC_SPACE_REQUIRED 1036
#define IDC_SPACE_AVAILABLE 1037
#define IDC_PASSWORD_LABEL 1039
#define IDC_LINK 1040           /* the greeting's link */
#define IDC_PANEL 1042          /* the white panel of style 3 */
#define IDC_SEPARATOR 66

/* The summary's option boxes. */
#define IDC_OPEN_FOLDER 1023
#define IDC_START_APPLICATION 1025
#define IDC_SHOW_LOG 1027
#define IDC_OPEN_DOCUMENT 1029

/* Commands a page posts to itself once it is shown. */
#define IDC_COME_FORWARD 1043        /* to the foreground */
#define IDC_COME_FORWARD_FOCUS 1044  /* and the focus on its first control */

/* Pictures: IDR_SIDE_PICTURE ... IDR_RETRY_ICON. */
#include "wizard_picture_ids.h"
