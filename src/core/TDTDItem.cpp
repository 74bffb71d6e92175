#include "core/TDTDItem.h"

TDTDItem::~TDTDItem() = default;
