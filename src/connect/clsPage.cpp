#include "connect/clsPage.h"

clsPage::clsPage() : m_oTermCount(std::make_shared<clsField>()) {}
