#include "Classes/Views/DisablableScrollView.h"
