#include "Classes/Views/QVBaseTableHeadView.h"
