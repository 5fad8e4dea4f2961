#include "rtf_reader.h"

namespace tambril::rtf {

// Placeholder until the RTF reader lands: shows the raw text.
void LoadRtf(QByteArrayView rtf, QTextDocument& doc) { doc.setPlainText(QString::fromLatin1(rtf)); }

}  // namespace tambril::rtf
