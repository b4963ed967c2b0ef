#pragma once

#include <QString>

namespace viewer {

// UI text number n (UiText) as a QString; empty for a number without text.
QString UiQText(int n);

}  // namespace viewer
