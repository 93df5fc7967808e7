#pragma once

// The first sheet of the zipped XML workbooks: .xlsx (Office Open XML, ECMA-376) and
// .ods (OpenDocument). Each sheet's rows go through TableList, so its column names are
// mapped as a CSV file's are, and a title above them is passed over.

#include "phonelist/files/column_mapping.h"
#include "phonelist/files/list_input.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QXmlStreamReader;

namespace listfiles {

class ZipArchive;

// The sheet that xl/workbook.xml lists first, found through xl/_rels/workbook.xml.rels;
// texts from the shared strings or inline, numbers as the General format shows them.
std::vector<PhoneListRow> phoneListFromXlsx(ZipArchive& archive, const QString& fileName);

// The first table of content.xml; repeated rows and cells are honoured as far as a list can reach.
std::vector<PhoneListRow> phoneListFromOds(ZipArchive& archive, const QString& fileName);

// Shared by both readers.
[[noreturn]] void failXml(const QString& fileName, const QString& member, const QXmlStreamReader& xml);
// Puts a value in its column, refusing one beyond the widest table a list can have.
void putCell(TableRow& row, qint64 column, Field field, const QString& fileName);

} // namespace listfiles
