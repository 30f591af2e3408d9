; generated: forward and backward jumps of every reach settle over the passes
l0: mov eax, [ebx+0]
  add eax, 0
  je l154
  rb 51
l1: mov eax, [ebx+37]
  add eax, 1
  jnz l74
l2: mov eax, [ebx+74]
  add eax, 4
  jg l96
l3: mov eax, [ebx+111]
  add eax, 9
  je l596
l4: mov eax, [ebx+148]
  add eax, 16
  jnz l519
l5: mov eax, [ebx+185]
  add eax, 25
  jmp l38
l6: mov eax, [ebx+222]
  add eax, 36
  jnz l444
l7: mov eax, [ebx+259]
  add eax, 49
  jb l71
l8: mov eax, [ebx+296]
  add eax, 64
  jmp l92
l9: mov eax, [ebx+33]
  add eax, 81
  jg l434
l10: mov eax, [ebx+70]
  add eax, 100
  jnz l579
l11: mov eax, [ebx+107]
  add eax, 121
  jnz l228
l12: mov eax, [ebx+144]
  add eax, 144
  jg l63
l13: mov eax, [ebx+181]
  add eax, 169
  jg l599
l14: mov eax, [ebx+218]
  add eax, 196
  jb l50
l15: mov eax, [ebx+255]
  add eax, 225
  jmp l47
l16: mov eax, [ebx+292]
  add eax, 256
  jg l136
l17: mov eax, [ebx+29]
  add eax, 289
  je l429
l18: mov eax, [ebx+66]
  add eax, 324
  jmp l553
l19: mov eax, [ebx+103]
  add eax, 361
  jnz l584
l20: mov eax, [ebx+140]
  add eax, 400
  je l573
l21: mov eax, [ebx+177]
  add eax, 441
  jmp l105
l22: mov eax, [ebx+214]
  add eax, 484
  jg l584
l23: mov eax, [ebx+251]
  add eax, 529
  jmp l381
l24: mov eax, [ebx+288]
  add eax, 576
  jnz l560
l25: mov eax, [ebx+25]
  add eax, 625
  jnz l577
l26: mov eax, [ebx+62]
  add eax, 676
  jnz l210
l27: mov eax, [ebx+99]
  add eax, 729
  jb l544
l28: mov eax, [ebx+136]
  add eax, 784
  jb l321
l29: mov eax, [ebx+173]
  add eax, 841
  jb l599
l30: mov eax, [ebx+210]
  add eax, 900
  jb l370
l31: mov eax, [ebx+247]
  add eax, 961
  je l254
l32: mov eax, [ebx+284]
  add eax, 1024
  jmp l249
l33: mov eax, [ebx+21]
  add eax, 1089
  jnz l588
l34: mov eax, [ebx+58]
  add eax, 1156
  je l537
l35: mov eax, [ebx+95]
  add eax, 1225
  jb l351
l36: mov eax, [ebx+132]
  add eax, 1296
  jb l294
l37: mov eax, [ebx+169]
  add eax, 1369
  jg l74
l38: mov eax, [ebx+206]
  add eax, 1444
  jnz l524
l39: mov eax, [ebx+243]
  add eax, 1521
  jb l168
l40: mov eax, [ebx+280]
  add eax, 1600
  je l155
l41: mov eax, [ebx+17]
  add eax, 1681
  jb l431
l42: mov eax, [ebx+54]
  add eax, 1764
  jnz l79
l43: mov eax, [ebx+91]
  add eax, 1849
  jg l586
l44: mov eax, [ebx+128]
  add eax, 1936
  je l348
l45: mov eax, [ebx+165]
  add eax, 2025
  je l508
l46: mov eax, [ebx+202]
  add eax, 2116
  jg l467
l47: mov eax, [ebx+239]
  add eax, 2209
  jnz l95
l48: mov eax, [ebx+276]
  add eax, 2304
  je l485
l49: mov eax, [ebx+13]
  add eax, 2401
  jnz l62
l50: mov eax, [ebx+50]
  add eax, 2500
  je l591
  rb 88
l51: mov eax, [ebx+87]
  add eax, 2601
  jb l291
l52: mov eax, [ebx+124]
  add eax, 2704
  jb l355
l53: mov eax, [ebx+161]
  add eax, 2809
  jnz l472
l54: mov eax, [ebx+198]
  add eax, 2916
  je l172
l55: mov eax, [ebx+235]
  add eax, 3025
  jg l119
l56: mov eax, [ebx+272]
  add eax, 3136
  jb l60
l57: mov eax, [ebx+9]
  add eax, 3249
  jmp l294
l58: mov eax, [ebx+46]
  add eax, 3364
  jmp l253
l59: mov eax, [ebx+83]
  add eax, 3481
  jb l400
l60: mov eax, [ebx+120]
  add eax, 3600
  jb l82
l61: mov eax, [ebx+157]
  add eax, 3721
  jmp l459
l62: mov eax, [ebx+194]
  add eax, 3844
  jb l562
l63: mov eax, [ebx+231]
  add eax, 3969
  je l140
l64: mov eax, [ebx+268]
  add eax, 4096
  jb l563
l65: mov eax, [ebx+5]
  add eax, 4225
  je l425
l66: mov eax, [ebx+42]
  add eax, 4356
  je l389
l67: mov eax, [ebx+79]
  add eax, 4489
  jmp l154
l68: mov eax, [ebx+116]
  add eax, 4624
  jnz l180
l69: mov eax, [ebx+153]
  add eax, 4761
  jmp l237
l70: mov eax, [ebx+190]
  add eax, 4900
  jmp l12
l71: mov eax, [ebx+227]
  add eax, 5041
  jb l186
l72: mov eax, [ebx+264]
  add eax, 5184
  je l288
l73: mov eax, [ebx+1]
  add eax, 5329
  jnz l149
l74: mov eax, [ebx+38]
  add eax, 5476
  jb l547
l75: mov eax, [ebx+75]
  add eax, 5625
  je l579
l76: mov eax, [ebx+112]
  add eax, 5776
  je l128
l77: mov eax, [ebx+149]
  add eax, 5929
  jg l55
l78: mov eax, [ebx+186]
  add eax, 6084
  jb l572
l79: mov eax, [ebx+223]
  add eax, 6241
  jb l407
l80: mov eax, [ebx+260]
  add eax, 6400
  jb l403
l81: mov eax, [ebx+297]
  add eax, 6561
  jnz l493
l82: mov eax, [ebx+34]
  add eax, 6724
  jb l63
l83: mov eax, [ebx+71]
  add eax, 6889
  jmp l68
l84: mov eax, [ebx+108]
  add eax, 7056
  jmp l451
l85: mov eax, [ebx+145]
  add eax, 7225
  jmp l112
l86: mov eax, [ebx+182]
  add eax, 7396
  je l53
l87: mov eax, [ebx+219]
  add eax, 7569
  jnz l0
l88: mov eax, [ebx+256]
  add eax, 7744
  jg l154
l89: mov eax, [ebx+293]
  add eax, 7921
  jg l103
l90: mov eax, [ebx+30]
  add eax, 8100
  je l26
l91: mov eax, [ebx+67]
  add eax, 8281
  jnz l212
l92: mov eax, [ebx+104]
  add eax, 8464
  jg l385
l93: mov eax, [ebx+141]
  add eax, 8649
  jmp l258
l94: mov eax, [ebx+178]
  add eax, 8836
  je l372
l95: mov eax, [ebx+215]
  add eax, 9025
  jb l125
l96: mov eax, [ebx+252]
  add eax, 9216
  jnz l499
l97: mov eax, [ebx+289]
  add eax, 9409
  jb l491
l98: mov eax, [ebx+26]
  add eax, 9604
  jb l319
l99: mov eax, [ebx+63]
  add eax, 9801
  jnz l147
l100: mov eax, [ebx+100]
  add eax, 10000
  jnz l350
  rb 95
l101: mov eax, [ebx+137]
  add eax, 10201
  je l490
l102: mov eax, [ebx+174]
  add eax, 10404
  jmp l528
l103: mov eax, [ebx+211]
  add eax, 10609
  jnz l210
l104: mov eax, [ebx+248]
  add eax, 10816
  jg l370
l105: mov eax, [ebx+285]
  add eax, 11025
  jmp l556
l106: mov eax, [ebx+22]
  add eax, 11236
  jnz l540
l107: mov eax, [ebx+59]
  add eax, 11449
  je l93
l108: mov eax, [ebx+96]
  add eax, 11664
  je l530
l109: mov eax, [ebx+133]
  add eax, 11881
  je l171
l110: mov eax, [ebx+170]
  add eax, 12100
  je l228
l111: mov eax, [ebx+207]
  add eax, 12321
  jg l554
l112: mov eax, [ebx+244]
  add eax, 12544
  jg l337
l113: mov eax, [ebx+281]
  add eax, 12769
  jmp l199
l114: mov eax, [ebx+18]
  add eax, 12996
  jmp l410
l115: mov eax, [ebx+55]
  add eax, 13225
  jmp l204
l116: mov eax, [ebx+92]
  add eax, 13456
  jg l504
l117: mov eax, [ebx+129]
  add eax, 13689
  je l29
l118: mov eax, [ebx+166]
  add eax, 13924
  jnz l286
l119: mov eax, [ebx+203]
  add eax, 14161
  jb l265
l120: mov eax, [ebx+240]
  add eax, 14400
  jmp l352
l121: mov eax, [ebx+277]
  add eax, 14641
  jb l357
l122: mov eax, [ebx+14]
  add eax, 14884
  je l82
l123: mov eax, [ebx+51]
  add eax, 15129
  jmp l104
l124: mov eax, [ebx+88]
  add eax, 15376
  jmp l481
l125: mov eax, [ebx+125]
  add eax, 15625
  jmp l345
l126: mov eax, [ebx+162]
  add eax, 15876
  jmp l494
l127: mov eax, [ebx+199]
  add eax, 16129
  jg l1
l128: mov eax, [ebx+236]
  add eax, 16384
  jb l352
l129: mov eax, [ebx+273]
  add eax, 16641
  jnz l122
l130: mov eax, [ebx+10]
  add eax, 16900
  jb l204
l131: mov eax, [ebx+47]
  add eax, 17161
  jb l182
l132: mov eax, [ebx+84]
  add eax, 17424
  jb l340
l133: mov eax, [ebx+121]
  add eax, 17689
  jnz l405
l134: mov eax, [ebx+158]
  add eax, 17956
  jb l411
l135: mov eax, [ebx+195]
  add eax, 18225
  jnz l162
l136: mov eax, [ebx+232]
  add eax, 18496
  jmp l130
l137: mov eax, [ebx+269]
  add eax, 18769
  jnz l154
l138: mov eax, [ebx+6]
  add eax, 19044
  jg l476
l139: mov eax, [ebx+43]
  add eax, 19321
  jmp l485
l140: mov eax, [ebx+80]
  add eax, 19600
  je l159
l141: mov eax, [ebx+117]
  add eax, 19881
  jg l561
l142: mov eax, [ebx+154]
  add eax, 20164
  jmp l21
l143: mov eax, [ebx+191]
  add eax, 20449
  jnz l105
l144: mov eax, [ebx+228]
  add eax, 20736
  jg l142
l145: mov eax, [ebx+265]
  add eax, 21025
  jb l199
l146: mov eax, [ebx+2]
  add eax, 21316
  jmp l28
l147: mov eax, [ebx+39]
  add eax, 21609
  je l217
l148: mov eax, [ebx+76]
  add eax, 21904
  je l513
l149: mov eax, [ebx+113]
  add eax, 22201
  jmp l333
l150: mov eax, [ebx+150]
  add eax, 22500
  je l557
  rb 54
l151: mov eax, [ebx+187]
  add eax, 22801
  jmp l62
l152: mov eax, [ebx+224]
  add eax, 23104
  je l469
l153: mov eax, [ebx+261]
  add eax, 23409
  jg l529
l154: mov eax, [ebx+298]
  add eax, 23716
  jb l513
l155: mov eax, [ebx+35]
  add eax, 24025
  jmp l544
l156: mov eax, [ebx+72]
  add eax, 24336
  jmp l536
l157: mov eax, [ebx+109]
  add eax, 24649
  jg l19
l158: mov eax, [ebx+146]
  add eax, 24964
  jb l187
l159: mov eax, [ebx+183]
  add eax, 25281
  jg l4
l160: mov eax, [ebx+220]
  add eax, 25600
  jmp l176
l161: mov eax, [ebx+257]
  add eax, 25921
  jmp l484
l162: mov eax, [ebx+294]
  add eax, 26244
  jg l123
l163: mov eax, [ebx+31]
  add eax, 26569
  jg l63
l164: mov eax, [ebx+68]
  add eax, 26896
  je l530
l165: mov eax, [ebx+105]
  add eax, 27225
  jg l568
l166: mov eax, [ebx+142]
  add eax, 27556
  jb l108
l167: mov eax, [ebx+179]
  add eax, 27889
  jg l58
l168: mov eax, [ebx+216]
  add eax, 28224
  jmp l195
l169: mov eax, [ebx+253]
  add eax, 28561
  je l43
l170: mov eax, [ebx+290]
  add eax, 28900
  jnz l519
l171: mov eax, [ebx+27]
  add eax, 29241
  jb l575
l172: mov eax, [ebx+64]
  add eax, 29584
  jnz l64
l173: mov eax, [ebx+101]
  add eax, 29929
  jb l333
l174: mov eax, [ebx+138]
  add eax, 30276
  jg l517
l175: mov eax, [ebx+175]
  add eax, 30625
  jg l524
l176: mov eax, [ebx+212]
  add eax, 30976
  jmp l283
l177: mov eax, [ebx+249]
  add eax, 31329
  jb l520
l178: mov eax, [ebx+286]
  add eax, 31684
  jg l489
l179: mov eax, [ebx+23]
  add eax, 32041
  jg l253
l180: mov eax, [ebx+60]
  add eax, 32400
  jg l265
l181: mov eax, [ebx+97]
  add eax, 32761
  jg l207
l182: mov eax, [ebx+134]
  add eax, 33124
  jb l140
l183: mov eax, [ebx+171]
  add eax, 33489
  jb l124
l184: mov eax, [ebx+208]
  add eax, 33856
  jb l452
l185: mov eax, [ebx+245]
  add eax, 34225
  je l74
l186: mov eax, [ebx+282]
  add eax, 34596
  jmp l438
l187: mov eax, [ebx+19]
  add eax, 34969
  jnz l217
l188: mov eax, [ebx+56]
  add eax, 35344
  je l125
l189: mov eax, [ebx+93]
  add eax, 35721
  jmp l374
l190: mov eax, [ebx+130]
  add eax, 36100
  jmp l259
l191: mov eax, [ebx+167]
  add eax, 36481
  jmp l478
l192: mov eax, [ebx+204]
  add eax, 36864
  jmp l96
l193: mov eax, [ebx+241]
  add eax, 37249
  jb l498
l194: mov eax, [ebx+278]
  add eax, 37636
  jmp l229
l195: mov eax, [ebx+15]
  add eax, 38025
  jmp l441
l196: mov eax, [ebx+52]
  add eax, 38416
  jg l413
l197: mov eax, [ebx+89]
  add eax, 38809
  je l431
l198: mov eax, [ebx+126]
  add eax, 39204
  jmp l365
l199: mov eax, [ebx+163]
  add eax, 39601
  je l94
l200: mov eax, [ebx+200]
  add eax, 40000
  je l19
  rb 44
l201: mov eax, [ebx+237]
  add eax, 40401
  jg l469
l202: mov eax, [ebx+274]
  add eax, 40804
  jb l18
l203: mov eax, [ebx+11]
  add eax, 41209
  jb l339
l204: mov eax, [ebx+48]
  add eax, 41616
  jg l302
l205: mov eax, [ebx+85]
  add eax, 42025
  jg l65
l206: mov eax, [ebx+122]
  add eax, 42436
  jnz l234
l207: mov eax, [ebx+159]
  add eax, 42849
  jnz l86
l208: mov eax, [ebx+196]
  add eax, 43264
  je l278
l209: mov eax, [ebx+233]
  add eax, 43681
  jnz l185
l210: mov eax, [ebx+270]
  add eax, 44100
  je l132
l211: mov eax, [ebx+7]
  add eax, 44521
  jb l264
l212: mov eax, [ebx+44]
  add eax, 44944
  jb l152
l213: mov eax, [ebx+81]
  add eax, 45369
  jg l527
l214: mov eax, [ebx+118]
  add eax, 45796
  jg l506
l215: mov eax, [ebx+155]
  add eax, 46225
  je l91
l216: mov eax, [ebx+192]
  add eax, 46656
  je l58
l217: mov eax, [ebx+229]
  add eax, 47089
  jmp l435
l218: mov eax, [ebx+266]
  add eax, 47524
  jnz l275
l219: mov eax, [ebx+3]
  add eax, 47961
  jnz l90
l220: mov eax, [ebx+40]
  add eax, 48400
  je l85
l221: mov eax, [ebx+77]
  add eax, 48841
  jg l227
l222: mov eax, [ebx+114]
  add eax, 49284
  jnz l270
l223: mov eax, [ebx+151]
  add eax, 49729
  jnz l464
l224: mov eax, [ebx+188]
  add eax, 50176
  jnz l347
l225: mov eax, [ebx+225]
  add eax, 50625
  jg l427
l226: mov eax, [ebx+262]
  add eax, 51076
  je l132
l227: mov eax, [ebx+299]
  add eax, 51529
  jnz l539
l228: mov eax, [ebx+36]
  add eax, 51984
  jmp l112
l229: mov eax, [ebx+73]
  add eax, 52441
  jmp l268
l230: mov eax, [ebx+110]
  add eax, 52900
  jnz l185
l231: mov eax, [ebx+147]
  add eax, 53361
  jmp l319
l232: mov eax, [ebx+184]
  add eax, 53824
  je l543
l233: mov eax, [ebx+221]
  add eax, 54289
  jmp l296
l234: mov eax, [ebx+258]
  add eax, 54756
  jb l512
l235: mov eax, [ebx+295]
  add eax, 55225
  jmp l277
l236: mov eax, [ebx+32]
  add eax, 55696
  je l18
l237: mov eax, [ebx+69]
  add eax, 56169
  je l37
l238: mov eax, [ebx+106]
  add eax, 56644
  jnz l18
l239: mov eax, [ebx+143]
  add eax, 57121
  jg l564
l240: mov eax, [ebx+180]
  add eax, 57600
  jmp l526
l241: mov eax, [ebx+217]
  add eax, 58081
  jb l251
l242: mov eax, [ebx+254]
  add eax, 58564
  jb l108
l243: mov eax, [ebx+291]
  add eax, 59049
  jb l506
l244: mov eax, [ebx+28]
  add eax, 59536
  jg l402
l245: mov eax, [ebx+65]
  add eax, 60025
  jg l315
l246: mov eax, [ebx+102]
  add eax, 60516
  jmp l235
l247: mov eax, [ebx+139]
  add eax, 61009
  je l203
l248: mov eax, [ebx+176]
  add eax, 61504
  jmp l414
l249: mov eax, [ebx+213]
  add eax, 62001
  je l55
l250: mov eax, [ebx+250]
  add eax, 62500
  jmp l14
  rb 10
l251: mov eax, [ebx+287]
  add eax, 63001
  je l441
l252: mov eax, [ebx+24]
  add eax, 63504
  jmp l56
l253: mov eax, [ebx+61]
  add eax, 64009
  jnz l390
l254: mov eax, [ebx+98]
  add eax, 64516
  jg l288
l255: mov eax, [ebx+135]
  add eax, 65025
  jg l248
l256: mov eax, [ebx+172]
  add eax, 65536
  je l46
l257: mov eax, [ebx+209]
  add eax, 66049
  jb l189
l258: mov eax, [ebx+246]
  add eax, 66564
  jmp l275
l259: mov eax, [ebx+283]
  add eax, 67081
  jb l3
l260: mov eax, [ebx+20]
  add eax, 67600
  je l372
l261: mov eax, [ebx+57]
  add eax, 68121
  je l560
l262: mov eax, [ebx+94]
  add eax, 68644
  je l250
l263: mov eax, [ebx+131]
  add eax, 69169
  jnz l316
l264: mov eax, [ebx+168]
  add eax, 69696
  jmp l365
l265: mov eax, [ebx+205]
  add eax, 70225
  jmp l1
l266: mov eax, [ebx+242]
  add eax, 70756
  je l390
l267: mov eax, [ebx+279]
  add eax, 71289
  jnz l486
l268: mov eax, [ebx+16]
  add eax, 71824
  je l514
l269: mov eax, [ebx+53]
  add eax, 72361
  jmp l254
l270: mov eax, [ebx+90]
  add eax, 72900
  jg l5
l271: mov eax, [ebx+127]
  add eax, 73441
  jnz l270
l272: mov eax, [ebx+164]
  add eax, 73984
  jnz l147
l273: mov eax, [ebx+201]
  add eax, 74529
  jb l42
l274: mov eax, [ebx+238]
  add eax, 75076
  jb l23
l275: mov eax, [ebx+275]
  add eax, 75625
  je l311
l276: mov eax, [ebx+12]
  add eax, 76176
  jmp l86
l277: mov eax, [ebx+49]
  add eax, 76729
  jg l541
l278: mov eax, [ebx+86]
  add eax, 77284
  jmp l398
l279: mov eax, [ebx+123]
  add eax, 77841
  je l506
l280: mov eax, [ebx+160]
  add eax, 78400
  jmp l290
l281: mov eax, [ebx+197]
  add eax, 78961
  jg l148
l282: mov eax, [ebx+234]
  add eax, 79524
  jnz l525
l283: mov eax, [ebx+271]
  add eax, 80089
  jb l517
l284: mov eax, [ebx+8]
  add eax, 80656
  jmp l536
l285: mov eax, [ebx+45]
  add eax, 81225
  jg l582
l286: mov eax, [ebx+82]
  add eax, 81796
  jnz l598
l287: mov eax, [ebx+119]
  add eax, 82369
  jmp l87
l288: mov eax, [ebx+156]
  add eax, 82944
  jnz l42
l289: mov eax, [ebx+193]
  add eax, 83521
  jmp l369
l290: mov eax, [ebx+230]
  add eax, 84100
  jnz l385
l291: mov eax, [ebx+267]
  add eax, 84681
  jb l571
l292: mov eax, [ebx+4]
  add eax, 85264
  jnz l19
l293: mov eax, [ebx+41]
  add eax, 85849
  jg l250
l294: mov eax, [ebx+78]
  add eax, 86436
  jb l270
l295: mov eax, [ebx+115]
  add eax, 87025
  jnz l467
l296: mov eax, [ebx+152]
  add eax, 87616
  jnz l515
l297: mov eax, [ebx+189]
  add eax, 88209
  jg l94
l298: mov eax, [ebx+226]
  add eax, 88804
  jg l67
l299: mov eax, [ebx+263]
  add eax, 89401
  jb l258
l300: mov eax, [ebx+0]
  add eax, 90000
  jnz l271
  rb 31
l301: mov eax, [ebx+37]
  add eax, 90601
  jmp l236
l302: mov eax, [ebx+74]
  add eax, 91204
  jb l505
l303: mov eax, [ebx+111]
  add eax, 91809
  jb l78
l304: mov eax, [ebx+148]
  add eax, 92416
  jb l294
l305: mov eax, [ebx+185]
  add eax, 93025
  jnz l203
l306: mov eax, [ebx+222]
  add eax, 93636
  jnz l150
l307: mov eax, [ebx+259]
  add eax, 94249
  je l260
l308: mov eax, [ebx+296]
  add eax, 94864
  je l581
l309: mov eax, [ebx+33]
  add eax, 95481
  jmp l12
l310: mov eax, [ebx+70]
  add eax, 96100
  jb l62
l311: mov eax, [ebx+107]
  add eax, 96721
  jb l275
l312: mov eax, [ebx+144]
  add eax, 97344
  jnz l222
l313: mov eax, [ebx+181]
  add eax, 97969
  jb l297
l314: mov eax, [ebx+218]
  add eax, 98596
  jg l292
l315: mov eax, [ebx+255]
  add eax, 99225
  jb l477
l316: mov eax, [ebx+292]
  add eax, 99856
  jb l121
l317: mov eax, [ebx+29]
  add eax, 100489
  jg l204
l318: mov eax, [ebx+66]
  add eax, 101124
  je l87
l319: mov eax, [ebx+103]
  add eax, 101761
  jb l17
l320: mov eax, [ebx+140]
  add eax, 102400
  je l469
l321: mov eax, [ebx+177]
  add eax, 103041
  jnz l518
l322: mov eax, [ebx+214]
  add eax, 103684
  jb l275
l323: mov eax, [ebx+251]
  add eax, 104329
  jb l214
l324: mov eax, [ebx+288]
  add eax, 104976
  jmp l76
l325: mov eax, [ebx+25]
  add eax, 105625
  jg l92
l326: mov eax, [ebx+62]
  add eax, 106276
  jmp l536
l327: mov eax, [ebx+99]
  add eax, 106929
  je l368
l328: mov eax, [ebx+136]
  add eax, 107584
  jmp l520
l329: mov eax, [ebx+173]
  add eax, 108241
  je l115
l330: mov eax, [ebx+210]
  add eax, 108900
  je l236
l331: mov eax, [ebx+247]
  add eax, 109561
  jb l497
l332: mov eax, [ebx+284]
  add eax, 110224
  jb l25
l333: mov eax, [ebx+21]
  add eax, 110889
  jmp l3
l334: mov eax, [ebx+58]
  add eax, 111556
  jb l461
l335: mov eax, [ebx+95]
  add eax, 112225
  jb l309
l336: mov eax, [ebx+132]
  add eax, 112896
  jmp l426
l337: mov eax, [ebx+169]
  add eax, 113569
  je l385
l338: mov eax, [ebx+206]
  add eax, 114244
  je l123
l339: mov eax, [ebx+243]
  add eax, 114921
  je l1
l340: mov eax, [ebx+280]
  add eax, 115600
  je l346
l341: mov eax, [ebx+17]
  add eax, 116281
  jb l122
l342: mov eax, [ebx+54]
  add eax, 116964
  jmp l12
l343: mov eax, [ebx+91]
  add eax, 117649
  je l259
l344: mov eax, [ebx+128]
  add eax, 118336
  je l66
l345: mov eax, [ebx+165]
  add eax, 119025
  jb l399
l346: mov eax, [ebx+202]
  add eax, 119716
  jg l78
l347: mov eax, [ebx+239]
  add eax, 120409
  je l438
l348: mov eax, [ebx+276]
  add eax, 121104
  je l49
l349: mov eax, [ebx+13]
  add eax, 121801
  je l104
l350: mov eax, [ebx+50]
  add eax, 122500
  jnz l292
  rb 82
l351: mov eax, [ebx+87]
  add eax, 123201
  jmp l255
l352: mov eax, [ebx+124]
  add eax, 123904
  je l446
l353: mov eax, [ebx+161]
  add eax, 124609
  jg l323
l354: mov eax, [ebx+198]
  add eax, 125316
  jmp l382
l355: mov eax, [ebx+235]
  add eax, 126025
  jb l29
l356: mov eax, [ebx+272]
  add eax, 126736
  jb l567
l357: mov eax, [ebx+9]
  add eax, 127449
  jg l208
l358: mov eax, [ebx+46]
  add eax, 128164
  jnz l50
l359: mov eax, [ebx+83]
  add eax, 128881
  jb l461
l360: mov eax, [ebx+120]
  add eax, 129600
  jg l141
l361: mov eax, [ebx+157]
  add eax, 130321
  je l497
l362: mov eax, [ebx+194]
  add eax, 131044
  jnz l563
l363: mov eax, [ebx+231]
  add eax, 131769
  jmp l174
l364: mov eax, [ebx+268]
  add eax, 132496
  jb l424
l365: mov eax, [ebx+5]
  add eax, 133225
  je l288
l366: mov eax, [ebx+42]
  add eax, 133956
  je l261
l367: mov eax, [ebx+79]
  add eax, 134689
  je l415
l368: mov eax, [ebx+116]
  add eax, 135424
  jmp l308
l369: mov eax, [ebx+153]
  add eax, 136161
  jb l570
l370: mov eax, [ebx+190]
  add eax, 136900
  jb l122
l371: mov eax, [ebx+227]
  add eax, 137641
  jmp l165
l372: mov eax, [ebx+264]
  add eax, 138384
  jnz l212
l373: mov eax, [ebx+1]
  add eax, 139129
  jg l509
l374: mov eax, [ebx+38]
  add eax, 139876
  jg l225
l375: mov eax, [ebx+75]
  add eax, 140625
  jb l340
l376: mov eax, [ebx+112]
  add eax, 141376
  jb l437
l377: mov eax, [ebx+149]
  add eax, 142129
  jmp l560
l378: mov eax, [ebx+186]
  add eax, 142884
  jmp l249
l379: mov eax, [ebx+223]
  add eax, 143641
  jnz l178
l380: mov eax, [ebx+260]
  add eax, 144400
  je l569
l381: mov eax, [ebx+297]
  add eax, 145161
  jnz l326
l382: mov eax, [ebx+34]
  add eax, 145924
  jmp l377
l383: mov eax, [ebx+71]
  add eax, 146689
  je l583
l384: mov eax, [ebx+108]
  add eax, 147456
  jmp l20
l385: mov eax, [ebx+145]
  add eax, 148225
  jb l392
l386: mov eax, [ebx+182]
  add eax, 148996
  jb l536
l387: mov eax, [ebx+219]
  add eax, 149769
  jmp l385
l388: mov eax, [ebx+256]
  add eax, 150544
  je l346
l389: mov eax, [ebx+293]
  add eax, 151321
  jnz l510
l390: mov eax, [ebx+30]
  add eax, 152100
  je l588
l391: mov eax, [ebx+67]
  add eax, 152881
  je l128
l392: mov eax, [ebx+104]
  add eax, 153664
  jg l541
l393: mov eax, [ebx+141]
  add eax, 154449
  jmp l94
l394: mov eax, [ebx+178]
  add eax, 155236
  je l254
l395: mov eax, [ebx+215]
  add eax, 156025
  jb l409
l396: mov eax, [ebx+252]
  add eax, 156816
  jb l442
l397: mov eax, [ebx+289]
  add eax, 157609
  je l22
l398: mov eax, [ebx+26]
  add eax, 158404
  jmp l33
l399: mov eax, [ebx+63]
  add eax, 159201
  jb l484
l400: mov eax, [ebx+100]
  add eax, 160000
  jg l501
  rb 1
l401: mov eax, [ebx+137]
  add eax, 160801
  jnz l400
l402: mov eax, [ebx+174]
  add eax, 161604
  jg l479
l403: mov eax, [ebx+211]
  add eax, 162409
  jb l254
l404: mov eax, [ebx+248]
  add eax, 163216
  jnz l229
l405: mov eax, [ebx+285]
  add eax, 164025
  jmp l155
l406: mov eax, [ebx+22]
  add eax, 164836
  jg l111
l407: mov eax, [ebx+59]
  add eax, 165649
  jb l87
l408: mov eax, [ebx+96]
  add eax, 166464
  jg l40
l409: mov eax, [ebx+133]
  add eax, 167281
  jnz l128
l410: mov eax, [ebx+170]
  add eax, 168100
  jmp l583
l411: mov eax, [ebx+207]
  add eax, 168921
  jnz l311
l412: mov eax, [ebx+244]
  add eax, 169744
  jmp l257
l413: mov eax, [ebx+281]
  add eax, 170569
  jg l447
l414: mov eax, [ebx+18]
  add eax, 171396
  jnz l101
l415: mov eax, [ebx+55]
  add eax, 172225
  jnz l307
l416: mov eax, [ebx+92]
  add eax, 173056
  jg l596
l417: mov eax, [ebx+129]
  add eax, 173889
  jmp l397
l418: mov eax, [ebx+166]
  add eax, 174724
  je l228
l419: mov eax, [ebx+203]
  add eax, 175561
  jg l1
l420: mov eax, [ebx+240]
  add eax, 176400
  jnz l550
l421: mov eax, [ebx+277]
  add eax, 177241
  je l471
l422: mov eax, [ebx+14]
  add eax, 178084
  je l323
l423: mov eax, [ebx+51]
  add eax, 178929
  jmp l486
l424: mov eax, [ebx+88]
  add eax, 179776
  jg l240
l425: mov eax, [ebx+125]
  add eax, 180625
  jg l252
l426: mov eax, [ebx+162]
  add eax, 181476
  jnz l421
l427: mov eax, [ebx+199]
  add eax, 182329
  je l56
l428: mov eax, [ebx+236]
  add eax, 183184
  jnz l198
l429: mov eax, [ebx+273]
  add eax, 184041
  jb l430
l430: mov eax, [ebx+10]
  add eax, 184900
  jnz l263
l431: mov eax, [ebx+47]
  add eax, 185761
  jmp l434
l432: mov eax, [ebx+84]
  add eax, 186624
  je l232
l433: mov eax, [ebx+121]
  add eax, 187489
  jb l34
l434: mov eax, [ebx+158]
  add eax, 188356
  je l430
l435: mov eax, [ebx+195]
  add eax, 189225
  je l405
l436: mov eax, [ebx+232]
  add eax, 190096
  jmp l6
l437: mov eax, [ebx+269]
  add eax, 190969
  je l516
l438: mov eax, [ebx+6]
  add eax, 191844
  jnz l210
l439: mov eax, [ebx+43]
  add eax, 192721
  jb l205
l440: mov eax, [ebx+80]
  add eax, 193600
  je l198
l441: mov eax, [ebx+117]
  add eax, 194481
  jmp l476
l442: mov eax, [ebx+154]
  add eax, 195364
  jmp l271
l443: mov eax, [ebx+191]
  add eax, 196249
  je l111
l444: mov eax, [ebx+228]
  add eax, 197136
  jg l507
l445: mov eax, [ebx+265]
  add eax, 198025
  jg l191
l446: mov eax, [ebx+2]
  add eax, 198916
  jmp l496
l447: mov eax, [ebx+39]
  add eax, 199809
  jb l57
l448: mov eax, [ebx+76]
  add eax, 200704
  jg l149
l449: mov eax, [ebx+113]
  add eax, 201601
  jb l55
l450: mov eax, [ebx+150]
  add eax, 202500
  jmp l24
  rb 77
l451: mov eax, [ebx+187]
  add eax, 203401
  jmp l425
l452: mov eax, [ebx+224]
  add eax, 204304
  jnz l61
l453: mov eax, [ebx+261]
  add eax, 205209
  jmp l402
l454: mov eax, [ebx+298]
  add eax, 206116
  jb l321
l455: mov eax, [ebx+35]
  add eax, 207025
  jnz l81
l456: mov eax, [ebx+72]
  add eax, 207936
  jmp l337
l457: mov eax, [ebx+109]
  add eax, 208849
  jmp l189
l458: mov eax, [ebx+146]
  add eax, 209764
  jg l478
l459: mov eax, [ebx+183]
  add eax, 210681
  jnz l319
l460: mov eax, [ebx+220]
  add eax, 211600
  jb l382
l461: mov eax, [ebx+257]
  add eax, 212521
  je l453
l462: mov eax, [ebx+294]
  add eax, 213444
  jmp l111
l463: mov eax, [ebx+31]
  add eax, 214369
  jnz l80
l464: mov eax, [ebx+68]
  add eax, 215296
  je l82
l465: mov eax, [ebx+105]
  add eax, 216225
  je l430
l466: mov eax, [ebx+142]
  add eax, 217156
  jnz l574
l467: mov eax, [ebx+179]
  add eax, 218089
  jmp l389
l468: mov eax, [ebx+216]
  add eax, 219024
  je l316
l469: mov eax, [ebx+253]
  add eax, 219961
  jb l89
l470: mov eax, [ebx+290]
  add eax, 220900
  jnz l484
l471: mov eax, [ebx+27]
  add eax, 221841
  jmp l381
l472: mov eax, [ebx+64]
  add eax, 222784
  jg l457
l473: mov eax, [ebx+101]
  add eax, 223729
  jmp l331
l474: mov eax, [ebx+138]
  add eax, 224676
  je l485
l475: mov eax, [ebx+175]
  add eax, 225625
  jnz l420
l476: mov eax, [ebx+212]
  add eax, 226576
  jmp l414
l477: mov eax, [ebx+249]
  add eax, 227529
  jnz l384
l478: mov eax, [ebx+286]
  add eax, 228484
  jnz l475
l479: mov eax, [ebx+23]
  add eax, 229441
  jnz l63
l480: mov eax, [ebx+60]
  add eax, 230400
  je l199
l481: mov eax, [ebx+97]
  add eax, 231361
  jnz l347
l482: mov eax, [ebx+134]
  add eax, 232324
  je l278
l483: mov eax, [ebx+171]
  add eax, 233289
  je l44
l484: mov eax, [ebx+208]
  add eax, 234256
  je l324
l485: mov eax, [ebx+245]
  add eax, 235225
  je l304
l486: mov eax, [ebx+282]
  add eax, 236196
  jnz l66
l487: mov eax, [ebx+19]
  add eax, 237169
  jnz l239
l488: mov eax, [ebx+56]
  add eax, 238144
  jnz l486
l489: mov eax, [ebx+93]
  add eax, 239121
  jb l395
l490: mov eax, [ebx+130]
  add eax, 240100
  je l440
l491: mov eax, [ebx+167]
  add eax, 241081
  jb l135
l492: mov eax, [ebx+204]
  add eax, 242064
  jb l187
l493: mov eax, [ebx+241]
  add eax, 243049
  jnz l310
l494: mov eax, [ebx+278]
  add eax, 244036
  jmp l241
l495: mov eax, [ebx+15]
  add eax, 245025
  je l327
l496: mov eax, [ebx+52]
  add eax, 246016
  jb l370
l497: mov eax, [ebx+89]
  add eax, 247009
  jg l80
l498: mov eax, [ebx+126]
  add eax, 248004
  jg l202
l499: mov eax, [ebx+163]
  add eax, 249001
  jb l163
l500: mov eax, [ebx+200]
  add eax, 250000
  jmp l417
  rb 9
l501: mov eax, [ebx+237]
  add eax, 251001
  jnz l493
l502: mov eax, [ebx+274]
  add eax, 252004
  jg l557
l503: mov eax, [ebx+11]
  add eax, 253009
  je l164
l504: mov eax, [ebx+48]
  add eax, 254016
  jb l107
l505: mov eax, [ebx+85]
  add eax, 255025
  jnz l271
l506: mov eax, [ebx+122]
  add eax, 256036
  jg l86
l507: mov eax, [ebx+159]
  add eax, 257049
  jmp l98
l508: mov eax, [ebx+196]
  add eax, 258064
  jb l510
l509: mov eax, [ebx+233]
  add eax, 259081
  jb l177
l510: mov eax, [ebx+270]
  add eax, 260100
  jmp l136
l511: mov eax, [ebx+7]
  add eax, 261121
  jb l471
l512: mov eax, [ebx+44]
  add eax, 262144
  jg l240
l513: mov eax, [ebx+81]
  add eax, 263169
  jg l124
l514: mov eax, [ebx+118]
  add eax, 264196
  je l300
l515: mov eax, [ebx+155]
  add eax, 265225
  je l580
l516: mov eax, [ebx+192]
  add eax, 266256
  je l381
l517: mov eax, [ebx+229]
  add eax, 267289
  je l266
l518: mov eax, [ebx+266]
  add eax, 268324
  jmp l449
l519: mov eax, [ebx+3]
  add eax, 269361
  jmp l190
l520: mov eax, [ebx+40]
  add eax, 270400
  jmp l241
l521: mov eax, [ebx+77]
  add eax, 271441
  jmp l288
l522: mov eax, [ebx+114]
  add eax, 272484
  jg l192
l523: mov eax, [ebx+151]
  add eax, 273529
  je l66
l524: mov eax, [ebx+188]
  add eax, 274576
  jb l257
l525: mov eax, [ebx+225]
  add eax, 275625
  jmp l519
l526: mov eax, [ebx+262]
  add eax, 276676
  jg l236
l527: mov eax, [ebx+299]
  add eax, 277729
  jnz l475
l528: mov eax, [ebx+36]
  add eax, 278784
  jnz l104
l529: mov eax, [ebx+73]
  add eax, 279841
  jnz l486
l530: mov eax, [ebx+110]
  add eax, 280900
  jmp l459
l531: mov eax, [ebx+147]
  add eax, 281961
  je l41
l532: mov eax, [ebx+184]
  add eax, 283024
  je l238
l533: mov eax, [ebx+221]
  add eax, 284089
  jnz l51
l534: mov eax, [ebx+258]
  add eax, 285156
  jmp l597
l535: mov eax, [ebx+295]
  add eax, 286225
  jmp l76
l536: mov eax, [ebx+32]
  add eax, 287296
  je l524
l537: mov eax, [ebx+69]
  add eax, 288369
  jmp l459
l538: mov eax, [ebx+106]
  add eax, 289444
  jg l266
l539: mov eax, [ebx+143]
  add eax, 290521
  jnz l108
l540: mov eax, [ebx+180]
  add eax, 291600
  jg l358
l541: mov eax, [ebx+217]
  add eax, 292681
  jmp l38
l542: mov eax, [ebx+254]
  add eax, 293764
  je l348
l543: mov eax, [ebx+291]
  add eax, 294849
  jmp l45
l544: mov eax, [ebx+28]
  add eax, 295936
  jmp l261
l545: mov eax, [ebx+65]
  add eax, 297025
  jnz l208
l546: mov eax, [ebx+102]
  add eax, 298116
  jnz l335
l547: mov eax, [ebx+139]
  add eax, 299209
  jb l380
l548: mov eax, [ebx+176]
  add eax, 300304
  jmp l319
l549: mov eax, [ebx+213]
  add eax, 301401
  jnz l208
l550: mov eax, [ebx+250]
  add eax, 302500
  jnz l507
  rb 71
l551: mov eax, [ebx+287]
  add eax, 303601
  jb l64
l552: mov eax, [ebx+24]
  add eax, 304704
  jb l103
l553: mov eax, [ebx+61]
  add eax, 305809
  jb l563
l554: mov eax, [ebx+98]
  add eax, 306916
  jmp l546
l555: mov eax, [ebx+135]
  add eax, 308025
  jnz l167
l556: mov eax, [ebx+172]
  add eax, 309136
  jb l277
l557: mov eax, [ebx+209]
  add eax, 310249
  jb l290
l558: mov eax, [ebx+246]
  add eax, 311364
  je l427
l559: mov eax, [ebx+283]
  add eax, 312481
  jnz l319
l560: mov eax, [ebx+20]
  add eax, 313600
  jg l365
l561: mov eax, [ebx+57]
  add eax, 314721
  jb l426
l562: mov eax, [ebx+94]
  add eax, 315844
  jnz l372
l563: mov eax, [ebx+131]
  add eax, 316969
  jmp l400
l564: mov eax, [ebx+168]
  add eax, 318096
  jb l208
l565: mov eax, [ebx+205]
  add eax, 319225
  jnz l444
l566: mov eax, [ebx+242]
  add eax, 320356
  jmp l433
l567: mov eax, [ebx+279]
  add eax, 321489
  jnz l92
l568: mov eax, [ebx+16]
  add eax, 322624
  jb l591
l569: mov eax, [ebx+53]
  add eax, 323761
  je l471
l570: mov eax, [ebx+90]
  add eax, 324900
  jmp l133
l571: mov eax, [ebx+127]
  add eax, 326041
  jnz l52
l572: mov eax, [ebx+164]
  add eax, 327184
  jg l145
l573: mov eax, [ebx+201]
  add eax, 328329
  jb l91
l574: mov eax, [ebx+238]
  add eax, 329476
  jg l379
l575: mov eax, [ebx+275]
  add eax, 330625
  jg l175
l576: mov eax, [ebx+12]
  add eax, 331776
  jmp l356
l577: mov eax, [ebx+49]
  add eax, 332929
  je l165
l578: mov eax, [ebx+86]
  add eax, 334084
  jg l175
l579: mov eax, [ebx+123]
  add eax, 335241
  jnz l111
l580: mov eax, [ebx+160]
  add eax, 336400
  jb l502
l581: mov eax, [ebx+197]
  add eax, 337561
  jmp l308
l582: mov eax, [ebx+234]
  add eax, 338724
  jmp l44
l583: mov eax, [ebx+271]
  add eax, 339889
  jb l322
l584: mov eax, [ebx+8]
  add eax, 341056
  jnz l397
l585: mov eax, [ebx+45]
  add eax, 342225
  jnz l164
l586: mov eax, [ebx+82]
  add eax, 343396
  jmp l414
l587: mov eax, [ebx+119]
  add eax, 344569
  jg l200
l588: mov eax, [ebx+156]
  add eax, 345744
  jb l187
l589: mov eax, [ebx+193]
  add eax, 346921
  jg l223
l590: mov eax, [ebx+230]
  add eax, 348100
  jnz l409
l591: mov eax, [ebx+267]
  add eax, 349281
  jg l160
l592: mov eax, [ebx+4]
  add eax, 350464
  jb l367
l593: mov eax, [ebx+41]
  add eax, 351649
  jnz l153
l594: mov eax, [ebx+78]
  add eax, 352836
  jmp l197
l595: mov eax, [ebx+115]
  add eax, 354025
  jnz l575
l596: mov eax, [ebx+152]
  add eax, 355216
  jnz l331
l597: mov eax, [ebx+189]
  add eax, 356409
  jnz l399
l598: mov eax, [ebx+226]
  add eax, 357604
  jg l466
l599: mov eax, [ebx+263]
  add eax, 358801
  jg l313
