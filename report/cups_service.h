#pragma once

#include <QString>

namespace kolvart {

// Why the print service did not take the job that Qt's CUPS print engine has
// just handed to it for the queue printerName; empty when it took the job.
// Call on the thread that ended the painter, right after it did so, and only
// when the painter was printing to a queue: the answer is read from libcups's
// status of the last request made on this thread, which that submission set.
QString cupsRefusal(const QString& printerName);

} // namespace kolvart
