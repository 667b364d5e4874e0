#include "fakes/EngineDataText.h"

#include "platform/TextFile.h"

namespace fake {

QByteArray NumberedSection(const char *name, const QStringList &items) {
    QByteArray text = QByteArray("[") + name + "]\r\n";
    for (int i = 0; i < items.size(); ++i)
        text += QByteArray::number(i + 1) + '=' + platform::ToAnsi(items[i]) + "\r\n";
    return text;
}

QByteArray ExampleEngineSection(const QString &engine) {
    const QByteArray host = platform::ToAnsi(engine.toLower().remove('(').remove(')'));
    return "[" + platform::ToAnsi(engine) + "]\r\nEngineKey=" + host + "\r\nEngineURL=http://www." + host +
           ".example/\r\nLoginURL=https://login." + host + ".example/signin\r\nQueryKeyword1=http://www." + host +
           ".example/search?q=\r\nQueryKeyword2=\r\n";
}

}  // namespace fake
