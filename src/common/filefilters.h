#pragma once

#include <QString>

// File dialog filters in Qt's form, "CSV (*.csv);;TXT (*.txt)".

// A chosen name that ends in one of the filters' extensions, in any letter
// case, is kept; any other gets the extension of the filter chosen with it,
// or of the first one.
QString nameWithExtension(const QString &chosenName, const QString &filters, const QString &chosenFilter);
