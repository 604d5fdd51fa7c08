#include "Classes/Views/SensorsCustomTableCellView.h"
