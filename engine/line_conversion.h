// Placeholder: filled in by the line conversion work.
#pragma once
