#include "gui/common/filefilter.h"

#include <QRegularExpression>

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(u'|');
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // Qt reads the patterns from the last parentheses, so the filter's label must not keep its own.
    static const QRegularExpression trailingList(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    description.remove(trailingList);
    QStringList patterns;
    for (QString p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
      p = p.trimmed();
      if (p.isEmpty()) continue;
      patterns << (p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
    }
    if (patterns.isEmpty()) continue;
    if (description.isEmpty()) description = patterns.join(u' ');
    result << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return result;
}
