#pragma once

// Every text the property grid shows or reports, in one place.

namespace fieldora::text {

inline constexpr int PropertyMissingNumber = 422;
inline constexpr char PropertyMissing[] = "Property \"%s\" does not exist";
inline constexpr int WrongTypeNumber = 380;
inline constexpr char WrongType[] = "Wrong parameter type";

inline constexpr char Yes[] = "Yes";
inline constexpr char No[] = "No";
inline constexpr char NothingSelected[] = "Nothing selected";
inline constexpr char DescriptionTitle[] = "Description:";
inline constexpr char RgbFormat[] = "RGB (%d,%d,%d)";
inline constexpr char IntegerFormat[] = "%d";
inline constexpr char RealFormat[] = "%.2f";

inline constexpr char EditFunction[] = "Edit function";
inline constexpr char Ok[] = "OK";
inline constexpr char Cancel[] = "Cancel";
inline constexpr char Undo[] = "Undo";
inline constexpr const char *FunctionNames[] = {"Atn",   "Cos", "Int", "Fix", "Log",
                                                "Round", "Sin", "Sqr", "Tan", "Mod"};

// In the filter notation "name|patterns|...||"; fileDialogFilter() turns it into Qt's.
inline constexpr char PictureFilter[] =
    "Picture files (*.gif;*.jpg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.bmp;*.ico;*.emf;*.wmf||";

inline constexpr char LinkPrefix[] = "http://";
inline constexpr char MailPrefix[] = "mailto:";

inline constexpr char AboutTitle[] = "About Fieldora";
inline constexpr char AboutText[] = "<b>Fieldora</b> property grid control<br>Version 1.0";

inline constexpr char PageBorderStyle[] = "Border style:";
inline constexpr char PageShowDescription[] = "Show description";
inline constexpr const char *BorderStyleNames[] = {"None", "Raised", "Sunken", "Flat", "Static"};

// Names of the persisted state.
inline constexpr char StateVersionKey[] = "Version";
inline constexpr char StateVersion[] = "1.0";
inline constexpr char StateBorderStyle[] = "BorderStyle";
inline constexpr char StateShowDescription[] = "ShowDescription";

// Keys of a SetValue result.
inline constexpr char ResultNumber[] = "Number";
inline constexpr char ResultDescription[] = "Description";

} // namespace fieldora::text
