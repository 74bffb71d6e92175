#pragma once
#include "core/TDTDItem.h"

/// Base of the content expressions of a grammar element.
class TDTDExpression : public TDTDItem {};
