_0_ = trelk;

helper = function(x)
  return x * 2
end



	_1_ = menu{ name="Tools", comment="tools",};
	__1__ = button{ name="Hello", command="print(\"hello\")",};
	_1_:ins(__1__);
		_2_ = menu{};
	__1__.onRBUTTONCLICK = _2_;
	__1__ = separator{};
	_1_:ins(__1__);
	__1__ = checkbox{ name="on",};
	__1__.checked = true;
	_1_:ins(__1__);
		_2_ = menu{ name="side",};
		__2__ = label{ name="deep",};
		_2_:ins(__2__);
	__1__ = _1_:ins(_2_);
	__1__.vertdrop = true;
__0__ = _0_:ins(_1_);
	_1_ = dialog{ name="D", w=200, h=100,};
	_1_.resizeable = true;
	_1_.command = function()
print(reason)
end

	__1__ = button{ name="B", command="print(1)",};
	_1_:ins(__1__,10,20,128,22);
	__1__ = edit{ name="ff",};
	__1__.digital = 16;
	_1_:ins(__1__,10,50,100,22);
__0__ = _0_:ins(_1_);