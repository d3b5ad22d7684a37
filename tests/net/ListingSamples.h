#pragma once
#include <QtGlobal>

// Listing lines as servers send them, each with what the parser lists and the
// entry the remote view builds from it (the current year taken as 2024). A
// row whose Name is null gives no entry.
struct TListingSample {
    const char* Line;
    const char* Attributes = nullptr;
    const char* Size = nullptr;
    const char* Date = nullptr;
    const char* Name = nullptr;
    const char* ItemName = nullptr;
    const char* LinkTarget = nullptr;
    quint64 ItemSize = 0;
    const char* SizeText = nullptr;
    const char* When = nullptr;  // the parsed date as "yyyy-MM-dd HH:mm", "" for none
};

inline constexpr int SampleYear = 2024;

inline const TListingSample ListingSamples[] = {
    // Named owners, blank-padded day, time of this year.
    {"-rw-r--r--   1 anna  staff      1234 Jan  5 12:30 notes.txt", "-rw-r--r--", "1234", "Jan 5 12:30",
     "notes.txt", "notes.txt", "", 1234, "1", "2024-01-05 12:30"},
    // Old date with a year, right-aligned under the time column.
    {"drwxr-xr-x   2 user group 512 Mar  3  1999 src", "drwxr-xr-x", "512", "Mar 3 1999", "src", "src", "",
     512, "", "1999-03-03 00:00"},
    // Numeric owners; the date is only valid in the injected (leap) year.
    {"drwxr-xr-x    2 1000     1000         4096 Feb 29 23:59 2024-reports", "drwxr-xr-x", "4096",
     "Feb 29 23:59", "2024-reports", "2024-reports", "", 4096, "", "2024-02-29 23:59"},
    // Zero-padded day; 2.5 kB goes to the even neighbour.
    {"-rw-r--r-- 1 ftp ftp 2560 Apr 07 2023 zero.bin", "-rw-r--r--", "2560", "Apr 07 2023", "zero.bin",
     "zero.bin", "", 2560, "2", "2023-04-07 00:00"},
    {"-rw-r--r-- 1 u g 1234 Jan 12 12:30 my notes.txt", "-rw-r--r--", "1234", "Jan 12 12:30", "my notes.txt",
     "my notes.txt", "", 1234, "1", "2024-01-12 12:30"},
    {"-rw-r--r-- 1 u g 3 Jan 12 12:30   lead and trail  ", "-rw-r--r--", "3", "Jan 12 12:30",
     "  lead and trail  ", "  lead and trail  ", "", 3, "1", "2024-01-12 12:30"},
    // A link shows neither the link's size nor its date.
    {"lrwxrwxrwx 1 root root 7 Jan 12 2001 bin -> usr/bin", "lrwxrwxrwx", "7", "Jan 12 2001",
     "bin -> usr/bin", "bin", "usr/bin", 0, "", ""},
    {"lrwxrwxrwx 1 u g 7 Jan 12 2001 my dir -> other dir", "lrwxrwxrwx", "7", "Jan 12 2001",
     "my dir -> other dir", "my dir", "other dir", 0, "", ""},
    // Not a link, so the arrow belongs to the name.
    {"-rw-r--r-- 1 u g 10 Jan 12 2001 arrow -> name.txt", "-rw-r--r--", "10", "Jan 12 2001",
     "arrow -> name.txt", "arrow -> name.txt", "", 10, "1", "2001-01-12 00:00"},
    {"-rw-r--r-- 1 u g 2048 dec 31 23:59 Grüße Привет.txt", "-rw-r--r--", "2048", "dec 31 23:59",
     "Grüße Привет.txt", "Grüße Привет.txt", "", 2048, "2", "2024-12-31 23:59"},
    // Latin-1 bytes that are not UTF-8; an empty file still shows "0".
    {"-rw-r--r-- 1 u g 0 Jun 1 08:00 caf\xe9 \xff.txt", "-rw-r--r--", "0", "Jun 1 08:00", "caf\xe9 \xff.txt",
     "caf\xe9 \xff.txt", "", 0, "0", "2024-06-01 08:00"},
    {"-rw-r--r-- 1 anna 4096 Jul 4 2022 no group.txt", "-rw-r--r--", "4096", "Jul 4 2022", "no group.txt",
     "no group.txt", "", 4096, "4", "2022-07-04 00:00"},
    {"-rw-r--r-- 1 u g 100 Jan 5 12.30 dotted.txt", "-rw-r--r--", "100", "Jan 5 12.30", "dotted.txt",
     "dotted.txt", "", 100, "1", "2024-01-05 12:30"},
    // The first date run is the date; a date-like name after it stays whole.
    {"-rw-r--r-- 1 u g 9 Jan 5 2020 Feb 3 2021 copy", "-rw-r--r--", "9", "Jan 5 2020", "Feb 3 2021 copy",
     "Feb 3 2021 copy", "", 9, "1", "2020-01-05 00:00"},
    {"-rw-r--r-- 1 u g 2147483648 May 1 2020 2GiB.iso", "-rw-r--r--", "2147483648", "May 1 2020", "2GiB.iso",
     "2GiB.iso", "", 2147483648ull, "2097152", "2020-05-01 00:00"},
    {"-rw-r--r-- 1 u g 5368709120 May 1 2020 5GiB.iso", "-rw-r--r--", "5368709120", "May 1 2020", "5GiB.iso",
     "5GiB.iso", "", 5368709120ull, "5242880", "2020-05-01 00:00"},
    // 34 words: no word limit cuts the name.
    {"-rw-r--r-- 1 u g 1 Jan 1 2000 a b c d e f g h i j k l m n o p q r s t u v w x y z", "-rw-r--r--", "1",
     "Jan 1 2000", "a b c d e f g h i j k l m n o p q r s t u v w x y z",
     "a b c d e f g h i j k l m n o p q r s t u v w x y z", "", 1, "1", "2000-01-01 00:00"},
    // No date run: read from the end as designed, so size and date are junk.
    {"-rw-r--r-- 1 u g 1234 2024-01-12 12:30 report.txt", "-rw-r--r--", "g", "1234 2024-01-12 12:30",
     "report.txt", "report.txt", "", 0, "0", ""},
    {"total 1234"},
    {""},
    {"-rw-r--r-- 1 u 1234 Jan 12 12:30"},
    {"-rw-r--r--\t1\tu\tg\t1234\tJan\t12\t12:30\tx"},
    // Not the Unix form.
    {"01-12-24  12:30PM       <DIR>          my folder"},
};
