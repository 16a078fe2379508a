// SPDX-License-Identifier: MIT
// Compiles the sample form: a form designed with BrowseBox builds against the library.
#include "ui_BrowseBoxSample.h"

#include <QWidget>

namespace Ostrel
{
void SetUpBrowseBoxSample(QWidget* form)
{
    Ui::BrowseBoxSample ui;
    ui.setupUi(form);
}
} // namespace Ostrel
