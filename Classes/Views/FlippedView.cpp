#include "Classes/Views/FlippedView.h"
