#pragma once
// Why a file or folder cannot be used, said the way a person would say it ("permission denied on
// /home/ann/.local/share"), for the messages that explain what became of the user's data.

#include <QString>

class FileProblem {
public:
    // The failure of an operation on `path` with the C library's error number.
    static QString describe(int errorNumber, const QString &path);
    // Creates `folder` and its missing parents and checks that a file can be written in it. Empty when the
    // folder can be used, otherwise why not, naming the part of the path that stands in the way.
    static QString prepareFolder(const QString &folder);
};
