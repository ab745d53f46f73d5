#include "machining/cutting_data/feed_mode_picture.h"
