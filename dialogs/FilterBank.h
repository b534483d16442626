// The "Digital filter bank": thirteen fixed filters of the spectral engine,
// returned as the engine's mode word and band edges. It lives for the whole
// run; an edge an item does not set keeps what an earlier use left.
#pragma once
#include <QDialog>
#include <cstdint>
#include <string>

class QListWidget;
class QPushButton;

class TFilterBankfrm : public QDialog {
    Q_OBJECT
public:
    explicit TFilterBankfrm(QWidget* parent = nullptr);

    // Shows the list and returns the chosen filter; "cancelat" on Cancel
    // (also by Escape or the frame).
    void mostrar_form(int32_t& low, int32_t& high, std::string& keyword);

    // The modal run in two halves for tests.
    void prepare();
    void conclude(int result, int32_t& low, int32_t& high, std::string& keyword);

    QListWidget* ListBox1;
    QPushButton* Button1;   // "&OK"; a double click in the list does the same
    QPushButton* Button2;   // "&Cancel"

    std::string Keyword = "cancelat";
    int32_t Low = 0;
    int32_t High = 0;

    void ListBox1Click(int index);
    void Button1Click();
    void Button2Click();
};

extern TFilterBankfrm* FilterBankfrm;
