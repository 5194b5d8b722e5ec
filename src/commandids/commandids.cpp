#include "commandids/commandids.hpp"

namespace {

// Flags of each command, L B C K T as letters; indexed by command - 256.
struct CommandInfo {
  const char* name;
  const char* label;
  const char* flags;
};

constexpr int kCommandCount = kLastCommand - kFirstCommand + 1;

constexpr CommandInfo kCommands[kCommandCount] = {
    {"delete to end of line", "Del to EOL", "L"},          // 256
    {"delete word left", "Del word <-", "L"},              // 257
    {"delete line", "Del line", ""},                       // 258
    {"restore line", "Undel. line", ""},                   // 259
    {"delete right", "Del char", "LK"},                    // 260
    {"undelete character", "Undel. char", "L"},            // 261
    {"open fold", "Open fold", "B"},                       // 262
    {"enter fold", "Enter fold", "B"},                     // 263
    {"move line", "Move line", ""},                        // 264
    {"copy line", "Copy line", ""},                        // 265
    {"close fold", "Close fold", "B"},                     // 266
    {"exit fold", "Exit fold", "B"},                       // 267
    {"start of line", "<-- line", "LB"},                   // 268
    {"create fold", "Create fold", "CK"},                  // 269
    {"cursor up", "Up", "BC"},                             // 270
    {"page up", "Page up", "BC"},                          // 271
    {"end of line", "line -->", "LB"},                     // 272
    {"remove fold", "Remove fold", ""},                    // 273
    {"cursor left", "Left", "LB"},                         // 274
    {"word left", "<-- word", "LB"},                       // 275
    {"file/unfile fold", "File/Unfile", ""},               // 276
    {"finish (save and exit)", "Finish", "BK"},            // 277
    {"cursor right", "Right", "LB"},                       // 278
    {"word right", "word -->", "LB"},                      // 279
    {"scroll line up", "Scroll up", "BC"},                 // 280
    {"top of fold", "Top of fold", "BC"},                  // 281
    {"cursor down", "Down", "BC"},                         // 282
    {"page down", "Page down", "BC"},                      // 283
    {"scroll line down", "Scroll down", "BC"},             // 284
    {"end of fold", "End of fold", "BC"},                  // 285
    {"new line", "New line", "L"},                         // 286
    {"autofold", "Autofold", ""},                          // 287
    {"fold info", "Fold info", "BK"},                      // 288
    {"browse/edit", "Browse/Edit", "LBK"},                 // 289
    {"pick line", "Pick line", ""},                        // 290
    {"copy pick", "Copy pick", ""},                        // 291
    {"put pick", "Put pick", ""},                          // 292
    {"exit", "Exit", "BK"},                                // 293
    {"save as", "Save as", "BK"},                          // 294
    {"attach file to fold", "Attach file", ""},            // 295
    {"insert file", "Insert file", ""},                    // 296
    {"open all folds", "Open all", "B"},                   // 297
    {"help", "Help", "BK"},                                // 298
    {"refresh", "Refresh", "BCK"},                         // 299
    {"delete left", "Del left", "L"},                      // 300
    {"find", "Find", "B"},                                 // 301
    {"find next", "Find next", "B"},                       // 302
    {"replace", "Replace", ""},                            // 303
    {"open file", "Open file", "BK"},                      // 304
    {"go to line", "Go to line", "B"},                     // 305
    {"line to fold header", "Line->header", ""},           // 306
    {"define macro", "Def. macro", "BK"},                  // 307
    {"call macro", "Call macro", "BK"},                    // 308
    {"command", "Command", "BK"},                          // 309
    {"insert special character", "Special chr", "LBK"},    // 310
    {"delete word right", "Del word ->", "L"},             // 311
    {"comment fold", "Comment fold", ""},                  // 312
    {"word wrap on/off", "Word wrap", "BK"},               // 313
    {"save", "Save", "BK"},                                // 314
    {"open file (second key)", "Open file", "BK"},         // 315
    {"save as (second key)", "Save as", "BK"},             // 316
    {"reload file", "Reload file", "BK"},                  // 317
    {"mark up", "Mark up", "BK"},                          // 318
    {"mark down", "Mark down", "BK"},                      // 319
    {"mark page up", "Mark pg up", "BK"},                  // 320
    {"mark page down", "Mark pg dn", "BK"},                // 321
    {"copy block", "Copy block", "BT"},                    // 322
    {"paste block", "Paste block", "BK"},                  // 323
    {"cut block", "Cut block", "BK"},                      // 324
    {"copy block", "Copy block", "BK"},                    // 325
    {"cut block", "Cut block", "BT"},                      // 326
    {"paste block", "Paste block", "BT"},                  // 327
    {"mark left", "Mark left", "LBK"},                     // 328
    {"mark right", "Mark right", "LBK"},                   // 329
    {"show/hide tree", "Tree on/off", "BK"},               // 330
    {"go to tree selection", "Go to tree", "B"},           // 331
    {"mark to end of line", "Mark to EOL", "LBK"},         // 332
    {"mark to start of line", "Mark to SOL", "LBK"},       // 333
    {"close all folds", "Close all", "B"},                 // 334
    {"maximize window", "Maximize", "BK"},                 // 335
    {"toggle tree tracking", "Tree track", "BK"},          // 336
    {"sync edit->tree on/off", "Sync tree", "BK"},         // 337
    {"undo", "Undo", "C"},                                 // 338
    {"redo", "Redo", "C"},                                 // 339
};

bool hasFlag(int command, char flag) {
  if (!isCommandNumber(command)) return false;
  for (const char* f = kCommands[command - kFirstCommand].flags; *f; ++f)
    if (*f == flag) return true;
  return false;
}

}  // namespace

bool isLineCommand(int command) { return hasFlag(command, 'L'); }
bool isBrowseSafe(int command) { return hasFlag(command, 'B'); }
bool isCreateFoldSafe(int command) { return hasFlag(command, 'C'); }
bool keepsMark(int command) { return hasFlag(command, 'K'); }

bool keyKeepsMark(int keyKind, int command) {
  if (keyKind == kSpecialKey) return hasFlag(command, 'K');
  if (keyKind == kCharKey) return hasFlag(command, 'T');
  return false;
}

std::string commandName(int command) {
  return isCommandNumber(command) ? kCommands[command - kFirstCommand].name : "";
}

std::string commandLabel(int command) {
  return isCommandNumber(command) ? kCommands[command - kFirstCommand].label : "";
}
