#include "app/Dialogs.h"

namespace curvana {

QStringList FileFilterList(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const qsizetype open = description.lastIndexOf('(');
        if (open > 0 && description.endsWith(')')) description = description.left(open).trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            patterns << (pattern == "*.*" ? QString("*") : pattern);
        }
        result << description + " (" + patterns.join(' ') + ")";
    }
    return result;
}

}  // namespace curvana
