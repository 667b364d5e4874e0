#pragma once
// The keyword bid settings dialog's values without the screen: read from a
// keyword record, checked in the dialog's order, written into keyword records.
//
// Bids are shown and stored as "#0.00" with "." whatever the desktop's number
// settings, and read only through the shared money parser, so what the dialog
// checks is what the bid rules later read.

#include <QString>

class clsKeyword;

struct KeywordSettingValues {
    // The position rule, as the dialog's three options number it.
    enum Option { NoOption = 0, TargetOption = 1, BestOption = 2, GapOnlyOption = 3 };
    // The control a refused value sends the user back to.
    enum Field {
        NoField,
        MaxBidField,
        MinBidField,
        StartTimeField,
        EndTimeField,
        TargetField,
        RangeField,  // the fallback range's check box
        HighField,
        LowField,
        BestHighField,
        BestLowField,
    };
    struct Fault {
        QString message;
        Field field = NoField;
        explicit operator bool() const { return field != NoField; }
    };

    QString maxBid;
    QString minBid;
    bool autoBid = false;
    bool timeBetween = false;
    QString startTime;
    QString endTime;
    int option = NoOption;
    // Positions 1 to 5; 0 where nothing is chosen.
    int target = 0;
    bool range = false;
    int high = 0;
    int low = 0;
    int bestHigh = 0;
    int bestLow = 0;

    // What the dialog shows for a keyword. A position rule that the lists
    // cannot show is shown as gap elimination only; a fallback range they
    // cannot show is shown unticked.
    static KeywordSettingValues FromKeyword(const clsKeyword &keyword);

    // The first refused value, in the dialog's order; no fault when all pass.
    // `engineMin` that is not an amount puts no lower limit on the minimum bid.
    Fault Check(const QString &engineMin) const;

    // Writes the values into one keyword record (call after Check passed).
    // Counter, update time and bid fields are left alone.
    void ApplyTo(clsKeyword &keyword) const;

    // Position range text: one digit 1 to 5, or two joined by "-" with the
    // higher position (smaller number) first. False for anything else.
    static bool ParsePosition(const QString &text, int *position);
    static bool ParsePositionRange(const QString &text, int *high, int *low);
};
