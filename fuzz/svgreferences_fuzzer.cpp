// The SVG cleaner of theme and downloaded images on any bytes: besides crashes and undefined
// behaviour it fails when what it keeps still points outside the document (an href other
// than "#..." on any element but a link, or other than a data: URI on an image), or holds a
// declaration or processing instruction.
#include <mimagereader.h>

#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray clean = MImageReader::withoutExternalReferences(
        QByteArray(reinterpret_cast<const char*>(data), int(size)));
    QXmlStreamReader in(clean);
    while (!in.atEnd()) {
        const QXmlStreamReader::TokenType token = in.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::ProcessingInstruction ||
            token == QXmlStreamReader::EntityReference) {
            std::abort();
        }
        if (token != QXmlStreamReader::StartElement || in.name() == QLatin1String("a")) {
            continue;
        }
        const bool image = in.name() == QLatin1String("image");
        for (const QXmlStreamAttribute& attribute : in.attributes()) {
            const QStringView value = attribute.value();
            if (attribute.name() == QLatin1String("href") &&
                !(image ? value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)
                        : value.startsWith(QLatin1Char('#')))) {
                std::abort();
            }
        }
    }
    return 0;
}
