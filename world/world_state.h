// The world: one global array per attribute, indexed by slot, plus the player,
// score and stage scalars. A slot is in use while its kind or state byte is
// non-zero; freeing it writes zero to that byte alone.
#pragma once

#include <cstdint>

constexpr int kEnemySlots = 26;   // slot 0 is also the boss slot
constexpr int kBulletSlots = 81;  // the ring offers 0..79; 80 is never taken by it
constexpr int kShotSlots = 22;    // the ring cycles 0..20
constexpr int kShotComboSlots = 42;
constexpr int kItemSlots = 2;  // 0 bomb item, 1 shield item
constexpr int kBandSlots = 8;

// ---- Enemies ----------------------------------------------------------------
extern float enemyX[kEnemySlots];
extern float enemyY[kEnemySlots];
extern uint8_t enemyKind[kEnemySlots];
extern float enemyScale[kEnemySlots];
extern float enemyHp[kEnemySlots];
extern uint8_t enemyState[kEnemySlots];  // values below
extern uint8_t enemyStep[kEnemySlots];
extern int16_t enemyScore[kEnemySlots];
extern int16_t enemyTimer[kEnemySlots];
extern uint8_t enemyShots[kEnemySlots];
extern uint8_t enemyCarrier[kEnemySlots];
extern uint8_t enemyAim[kEnemySlots];
extern float enemyParamA[kEnemySlots];
extern float enemyParamB[kEnemySlots];
extern float blastCX[kEnemySlots];
extern float blastCY[kEnemySlots];
extern float blastSize[kEnemySlots];

// enemyState. Slot 0 also carries the ending's steps, 10..16.
constexpr uint8_t kEnemyFree = 0;
constexpr uint8_t kEnemyAlive = 1;
constexpr uint8_t kEnemyBlastGrowing = 2;
constexpr uint8_t kEnemyBlastShrinking = 3;
constexpr uint8_t kEnemyBossDestroyed = 4;
constexpr uint8_t kEndingFlash = 10;
constexpr uint8_t kEndingLightOpening = 11;
constexpr uint8_t kEndingStaffRoll = 12;  // also stops the stage flow
constexpr uint8_t kEndingLastFlight = 13;
constexpr uint8_t kEndingLogoGrowing = 14;
constexpr uint8_t kEndingLogoShrinking = 15;
constexpr uint8_t kEndingLogoDone = 16;

// ---- Enemy bullets ------------------------------------------------------------
extern uint8_t bulletKind[kBulletSlots];  // values below
constexpr uint8_t kBulletFree = 0;
constexpr uint8_t kBulletSmall = 1;  // aimed
constexpr uint8_t kBulletLarge = 2;
constexpr uint8_t kBulletBouncing = 3;
extern float bulletX[kBulletSlots];
extern float bulletY[kBulletSlots];
extern float bulletVX[kBulletSlots];
extern float bulletVY[kBulletSlots];
extern int16_t bulletBounces[kBulletSlots];
extern uint8_t nextBulletSlot;
extern uint8_t volleyCount;
extern float aimDX;
extern float aimDY;
extern float aimDist;

// ---- Player shots -----------------------------------------------------------
extern uint8_t shotKind[kShotSlots];  // values below
constexpr uint8_t kShotFree = 0;
constexpr uint8_t kShotNormal = 1;
constexpr uint8_t kShotChargedLow = 2;  // charged shots, 2..4 by charge
constexpr uint8_t kShotChargedHigh = 4;
extern float shotX[kShotSlots];
extern float shotY[kShotSlots];
extern float sparkX[kShotSlots];
extern float sparkY[kShotSlots];
extern int16_t sparkTimer[kShotSlots];
extern int16_t shotComboCount[kShotComboSlots];
extern uint8_t shotComboTimer[kShotComboSlots];
extern uint8_t nextShotSlot;

// ---- Items --------------------------------------------------------------------
extern float itemX[kItemSlots];
extern float itemY[kItemSlots];
extern uint8_t itemState[kItemSlots];  // values below
constexpr uint8_t kItemNone = 0;
constexpr uint8_t kItemFalling = 1;
constexpr uint8_t kItemPopping = 2;
constexpr uint8_t kItemPopShrinking = 3;
extern int16_t popupX[kItemSlots];
extern int16_t popupY[kItemSlots];
extern int16_t popupTimer[kItemSlots];

// ---- Bands (bomb flash and boss blasts) -----------------------------------------
extern float bandSize[kBandSlots];
extern uint8_t bandPhase[kBandSlots];
extern int16_t blastX[kBandSlots];
extern int16_t blastY[kBandSlots];

// ---- Player -------------------------------------------------------------------
extern float playerX;
extern float playerY;
extern uint8_t playerBank;
extern float shield;
extern uint8_t bombs;
extern uint8_t invulnTimer;
extern uint8_t deathFade;
extern float chargeLevel;
extern float chargeGauge;
extern int16_t fireLatch;
extern int16_t shotCooldown;
extern int16_t chargeFlash;
extern uint8_t bombPhase;  // values below
constexpr uint8_t kBombNone = 0;
constexpr uint8_t kBombRing = 1;             // the blast ring expands
constexpr uint8_t kBombFlash = 2;            // the band flash, which hits the enemies
constexpr uint8_t kBombBossDestruction = 3;  // the bands of a boss's destruction
extern int16_t bombRadius;
extern int16_t bombRadius2;
extern int16_t bombX;
extern int16_t bombY;
extern int16_t bombComboCount;
extern int16_t bombComboTimer;
extern int16_t showFrameRate;

// ---- Score, stage and game -------------------------------------------------------
extern float score;
extern int32_t scoreSlot;
extern float scrollPos;
extern uint8_t wave;
extern uint8_t battlePhase;  // values below
constexpr uint8_t kBattleWaves = 0;
constexpr uint8_t kBattleBoss = 1;
constexpr uint8_t kBattleBossInFlash = 2;     // the boss took this bomb's hit
constexpr uint8_t kBattleWavesFlashEnds = 3;  // waves while a bomb flash ends
constexpr uint8_t kBattleStageEnd = 4;        // set by the stage clear and the ending
extern uint8_t bannerTimer;
extern int16_t bannerX;
extern uint8_t bonusTextTimer;
extern uint8_t bonusTextKind;
extern float bonusX;
extern float bonusY;
extern uint8_t bonusState;
extern uint8_t bonusFrame;
extern uint8_t hardMode;
extern uint8_t easyMode;
extern uint8_t revengeFire;
extern uint8_t scriptEnemy;
extern uint8_t stageNo;
extern int16_t bossLightW;
extern int16_t bossLightH;
extern uint8_t fullRunFlag;

// ---- Animation counters ----------------------------------------------------------
extern uint8_t frameTick;  // 0..35
extern uint8_t blinkPhase;
extern uint8_t blinkA;
extern uint8_t blinkB;
extern uint8_t animPhase3;  // 0..2
extern uint8_t animTick8;   // 0..7
extern uint8_t animDiv5;    // 0..4

// ---- Shared loop indexes of the per-frame procedures -------------------------------
extern int32_t loopSlot;
extern int32_t loopSlot2;

// ---- Screens that reuse world values -------------------------------------------
extern int16_t line2X;       // second text group of a staff page
extern float titleLogoSize;  // drawn height of the title logo
extern int16_t cursorX;
extern int16_t cursorY;
extern uint8_t shipPose;  // staff-roll transformation: 0 none .. 5 done
extern uint8_t poseFrame;
extern int32_t poseTick;
extern uint8_t selectedStage;
extern int32_t sceneStartMs;

// ---- Frame-rate display ----------------------------------------------------------
extern int32_t frameCount;
extern int32_t framesLastSecond;
extern int32_t frameCountStart;
