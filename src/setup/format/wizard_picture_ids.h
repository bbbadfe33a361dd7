#pragma once
/* The wizard's pictures: PNG files among the runtime's resources (type
   "PNG"), expanded once per run. The builder puts the author's own in their
   place. Also read by the resource compiler. */
#define IDR_SIDE_PICTURE 2
#define IDR_HEADER_BAND 3
#define IDR_FORWARD_ICON 4  /* forward, OK, Yes */
#define IDR_CANCEL_ICON 5   /* Cancel, No */
#define IDR_BROWSE_ICON 6
#define IDR_RETRY_ICON 7
