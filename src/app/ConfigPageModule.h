#pragma once

#include "app/ConfigPageView.h"

#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

using ConfigPageFactory = std::function<std::unique_ptr<ConfigPageView>(QWidget *parent)>;

// Makes page views from the web page module, found in the first of `searchDirs` that has it. The
// module is loaded on the first call only. A failed load yields no view and leaves its reason
// on stderr.
ConfigPageFactory configPageModuleFactory(const QStringList &searchDirs);
