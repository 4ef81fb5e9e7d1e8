#include "app/win32/framework/data_exchange.h"

namespace wobbet::win32 {

void DataExchange::Control(int controlId, Window* control) {
    if (control->Handle() == nullptr) {
        control->Attach(GetDlgItem(dialog_, controlId));
        bound_.push_back(control);
    }
}

void DataExchange::Text(int controlId, std::string* value) {
    Window control;
    control.Attach(GetDlgItem(dialog_, controlId));
    if (saveAndValidate_) {
        *value = control.GetText();
    } else {
        control.SetText(*value);
    }
}

}  // namespace wobbet::win32
