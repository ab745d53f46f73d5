#include "machining/cutting_data/cutting_data_window.h"
